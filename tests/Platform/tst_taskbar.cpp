// The taskbar service: the shell's COM taskbar object under Wine, the null
// answers on Linux without a session bus (the signals: tests/TaskbarProgress).

#include "platformcheck.h"

#include "Platform/taskbar.h"

#include <cstdlib>
#include <memory>

#if defined(_WIN32)
#include <windows.h>

PLATFORM_TEST(shellTaskbarObject)
{
    HWND window = CreateWindowExW(0, L"STATIC", L"taskbar test", WS_OVERLAPPEDWINDOW, 0, 0, 100,
                                  100, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    const auto handle = Platform::NativeWindow(window);
    for (int round = 0; round < 2; ++round) { // COM initialised and left twice
        std::unique_ptr<Platform::TaskbarSession> session = Platform::Taskbar::system().open("x");
        CHECK(session->isAvailable() && session->nativeInterface() != nullptr);
        CHECK(session->setProgressState(handle, true));
        CHECK(session->setProgressValue(handle, 33, 100));
        CHECK(session->setProgressState(handle, false));
    }
    if (window)
        DestroyWindow(window);
}

#else

PLATFORM_TEST(noSessionBus)
{
    // The test's own environment: no need to put it back.
    setenv("XDG_RUNTIME_DIR", "/nonexistent", 1);
    for (const char *bus : {"unix:path=/nonexistent/basics-test-bus", ""}) {
        setenv("DBUS_SESSION_BUS_ADDRESS", bus, 1);
        std::unique_ptr<Platform::TaskbarSession> session = Platform::Taskbar::system().open("x");
        CHECK(!session->isAvailable() && session->nativeInterface() == nullptr);
        CHECK(!session->setProgressValue(1, 50, 100) && !session->setProgressState(1, true));
    }
}

#endif

PLATFORM_TEST_MAIN()
