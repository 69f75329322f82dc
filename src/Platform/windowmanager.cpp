#include "Platform/windowmanager.h"

#include "Platform/serviceoverride.h"

namespace Platform {

namespace {
OverrideSlot<WindowManager> s_override;
}

WindowManager::~WindowManager() = default;

WindowManager &WindowManager::instance()
{
    return s_override.current();
}

WindowManager &WindowManager::system()
{
    static const std::unique_ptr<WindowManager> desktop = connect(nullptr);
    return *desktop;
}

WindowManager *WindowManager::install(WindowManager *scripted)
{
    return s_override.exchange(scripted);
}

} // namespace Platform
