#include "Platform/securerandom.h"

#include "Platform/serviceoverride.h"

namespace Platform {

namespace {
OverrideSlot<SecureRandom> s_override;
}

SecureRandom::~SecureRandom() = default;

SecureRandom &SecureRandom::instance()
{
    return s_override.current();
}

SecureRandom *SecureRandom::install(SecureRandom *scripted)
{
    return s_override.exchange(scripted);
}

} // namespace Platform
