// The taskbar where there is none (no session bus): sessions that are never
// available and send nothing.

#include "Platform/taskbar.h"

namespace Platform {

namespace {

class NullTaskbarSession final : public TaskbarSession
{
public:
    bool isAvailable() const override { return false; }
    bool setProgressValue(NativeWindow, std::uint64_t, std::uint64_t) override { return false; }
    bool setProgressState(NativeWindow, bool) override { return false; }
    void *nativeInterface() const override { return nullptr; }
};

class NullTaskbar final : public Taskbar
{
public:
    std::unique_ptr<TaskbarSession> open(const std::string &) override
    {
        return std::make_unique<NullTaskbarSession>();
    }
};

} // namespace

Taskbar &Taskbar::nullTaskbar()
{
    static NullTaskbar taskbar;
    return taskbar;
}

} // namespace Platform
