// The taskbar button's progress through the shell's ITaskbarList3 (COM).

#include <windows.h>

#include <objbase.h>
#include <shobjidl.h>

#include "Platform/taskbar.h"

namespace Platform {

namespace {

// {56FDF344-FD6D-11D0-958A-006097C9A090}
const CLSID TaskbarListClass = {
    0x56FDF344, 0xFD6D, 0x11D0, {0x95, 0x8A, 0x00, 0x60, 0x97, 0xC9, 0xA0, 0x90}};
// {EA1AFB91-9E28-4B86-90E9-9E9F8A5EEFAF}
const IID TaskbarList3Interface = {
    0xEA1AFB91, 0x9E28, 0x4B86, {0x90, 0xE9, 0x9E, 0x9F, 0x8A, 0x5E, 0xEF, 0xAF}};

class ComTaskbarSession final : public TaskbarSession
{
public:
    ComTaskbarSession()
    {
        // Its result does not matter: a thread already initialised in
        // another mode still reaches the in-process taskbar object.
        CoInitialize(nullptr);
        void *pointer = nullptr;
        if (SUCCEEDED(CoCreateInstance(TaskbarListClass, nullptr, CLSCTX_INPROC_SERVER,
                                       TaskbarList3Interface, &pointer))
            && pointer) {
            m_taskbar = static_cast<ITaskbarList3 *>(pointer);
            m_taskbar->HrInit();
        }
    }

    ~ComTaskbarSession() override
    {
        if (m_taskbar)
            m_taskbar->Release();
        CoUninitialize();
    }

    ComTaskbarSession(const ComTaskbarSession &) = delete;
    ComTaskbarSession &operator=(const ComTaskbarSession &) = delete;

    bool isAvailable() const override { return m_taskbar != nullptr; }

    bool setProgressValue(NativeWindow window, std::uint64_t completed,
                          std::uint64_t total) override
    {
        return m_taskbar
            && SUCCEEDED(m_taskbar->SetProgressValue(reinterpret_cast<HWND>(window), completed,
                                                     total));
    }

    bool setProgressState(NativeWindow window, bool visible) override
    {
        return m_taskbar
            && SUCCEEDED(m_taskbar->SetProgressState(reinterpret_cast<HWND>(window),
                                                     visible ? TBPF_NORMAL : TBPF_NOPROGRESS));
    }

    void *nativeInterface() const override { return m_taskbar; }

private:
    ITaskbarList3 *m_taskbar = nullptr;
};

class ComTaskbar final : public Taskbar
{
public:
    std::unique_ptr<TaskbarSession> open(const std::string &) override
    {
        return std::make_unique<ComTaskbarSession>();
    }
};

} // namespace

Taskbar &Taskbar::system()
{
    static ComTaskbar taskbar;
    return taskbar;
}

} // namespace Platform
