#include "Platform/windowmanager.h"

namespace Platform {

namespace {

// No desktop: there are no windows, so nothing can be stored or raised.
class NullWindowManager final : public WindowManager
{
public:
    bool isAvailable() const override { return false; }
    bool tagWindow(Window, std::uint32_t) override { return false; }
    std::uint32_t toolTag(Window) override { return 0; }
    std::vector<TaggedWindow> windowsWithTag(std::uint32_t) override { return {}; }
    bool setOrderNumber(Window, int) override { return false; }
    int orderNumber(Window) override { return 0; }
    Window firstWindowOfExecutable(const NativePath &) override { return 0; }
    bool bringToFront(Window) override { return false; }
};

} // namespace

std::unique_ptr<WindowManager> WindowManager::createNull()
{
    return std::make_unique<NullWindowManager>();
}

} // namespace Platform
