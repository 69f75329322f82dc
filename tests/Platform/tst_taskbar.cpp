// The taskbar service as the system provides it. Windows (Wine in the test
// run): the shell's taskbar object is created through COM and takes the
// calls (Wine's are stubs that accept them). Linux: without a session bus
// the service answers as the null backend; the launcher signals themselves
// are checked against a listener in tests/TaskbarProgress.

#include "platformcheck.h"

#include "Platform/taskbar.h"

#include <cstdlib>
#include <memory>
#include <string>

#if defined(_WIN32)
#include <windows.h>
#endif

using Platform::Taskbar;

#if defined(_WIN32)

PLATFORM_TEST(shellTaskbarObject)
{
    HWND window = CreateWindowExW(0, L"STATIC", L"taskbar test", WS_OVERLAPPEDWINDOW, 0, 0, 100,
                                  100, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    for (int round = 0; round < 2; ++round) { // COM initialised and left twice
        std::unique_ptr<Platform::TaskbarSession> session = Taskbar::system().open("lens");
        CHECK(session->isAvailable());
        CHECK(session->nativeInterface() != nullptr);
        const auto handle = Platform::NativeWindow(window);
        CHECK(session->setProgressState(handle, true));
        CHECK(session->setProgressValue(handle, 33, 100));
        CHECK(session->setProgressValue(handle, 100, 100));
        CHECK(session->setProgressState(handle, false));
    }
    if (window)
        DestroyWindow(window);
}

#else

PLATFORM_TEST(noSessionBus)
{
    const char *saved = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    const std::string address = saved ? saved : "";
    const char *savedRuntime = std::getenv("XDG_RUNTIME_DIR");
    const std::string runtime = savedRuntime ? savedRuntime : "";
    for (const char *bus : {"unix:path=/nonexistent/basics-test-bus", ""}) {
        setenv("DBUS_SESSION_BUS_ADDRESS", bus, 1);
        setenv("XDG_RUNTIME_DIR", "/nonexistent", 1);
        std::unique_ptr<Platform::TaskbarSession> session = Taskbar::system().open("lens");
        CHECK(!session->isAvailable());
        CHECK(!session->setProgressValue(1, 50, 100));
        CHECK(!session->setProgressState(1, true));
        CHECK(session->nativeInterface() == nullptr);
    }
    // An application name that is no UTF-8 never reaches libdbus.
    if (saved) {
        setenv("DBUS_SESSION_BUS_ADDRESS", address.c_str(), 1);
        CHECK(!Taskbar::system().open("lens\xff")->isAvailable());
    } else {
        unsetenv("DBUS_SESSION_BUS_ADDRESS");
    }
    if (savedRuntime)
        setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    else
        unsetenv("XDG_RUNTIME_DIR");
}

#endif

PLATFORM_TEST(nullTaskbar)
{
    std::unique_ptr<Platform::TaskbarSession> session = Taskbar::nullTaskbar().open("lens");
    CHECK(!session->isAvailable());
    CHECK(!session->setProgressValue(1, 1, 100));
    CHECK(session->nativeInterface() == nullptr);
}

PLATFORM_TEST_MAIN()
