#include "Platform/taskbar.h"

#include "Platform/serviceoverride.h"

namespace Platform {

namespace {
OverrideSlot<Taskbar> s_override;
} // namespace

TaskbarSession::~TaskbarSession() = default;

Taskbar::~Taskbar() = default;

Taskbar &Taskbar::instance()
{
    return s_override.current();
}

Taskbar *Taskbar::install(Taskbar *scripted)
{
    return s_override.exchange(scripted);
}

} // namespace Platform
