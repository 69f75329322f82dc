#include "Platform/desktopservices.h"

#include "Platform/serviceoverride.h"

namespace Platform {

namespace {
OverrideSlot<DesktopServices> s_override;
} // namespace

DesktopServices::~DesktopServices() = default;

DesktopServices &DesktopServices::instance()
{
    return s_override.current();
}

DesktopServices *DesktopServices::install(DesktopServices *scripted)
{
    return s_override.exchange(scripted);
}

} // namespace Platform
