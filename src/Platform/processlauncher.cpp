#include "Platform/processlauncher.h"

#include "Platform/serviceoverride.h"

namespace Platform {

namespace {
OverrideSlot<ProcessLauncher> s_override;
}

ProcessLauncher::~ProcessLauncher() = default;

ProcessLauncher &ProcessLauncher::instance()
{
    return s_override.current();
}

ProcessLauncher *ProcessLauncher::install(ProcessLauncher *scripted)
{
    return s_override.exchange(scripted);
}

} // namespace Platform
