#pragma once

// The desktop's top-level windows as the tool window organizer needs them:
// a 32-bit tool tag and an order number stored on a window where every
// process can read them, the tagged windows with their titles, the first
// window of a given program, and raising a window.
//
//     Platform::WindowManager &windows = Platform::WindowManager::instance();
//     windows.tagWindow(myWindow, tag);
//     windows.setOrderNumber(myWindow, 3);
//     for (const auto &found : windows.windowsWithTag(tag))
//         std::printf("%s\n", found.title.c_str());
//     windows.bringToFront(windows.firstWindowOfExecutable(path));
//
// Windows: the tag is the window's user data (SetWindowLongW/GetWindowLongW
// with GWL_USERDATA), the order number the window property "OrderNumber"
// (SetPropA/GetPropA, the number as the property's handle value); windows are
// enumerated with EnumWindows (z-order), titles read with GetWindowTextA,
// programs found with GetWindowThreadProcessId, OpenProcess and
// GetModuleFileNameExW (compared ignoring case, '/' read as '\'), raised
// with SetForegroundWindow.
//
// X11 (Linux desktops; Wayland sessions through XWayland): the tag and the
// order number are properties of the top-level client window
// ("_BASICSDLL_TOOL_TAG", CARDINAL/32, and "OrderNumber", INTEGER/32); the
// windows are the window manager's _NET_CLIENT_LIST (oldest first), or the
// root window's children in stacking order when no EWMH window manager
// runs; titles come from _NET_WM_NAME (else WM_NAME); programs from
// _NET_WM_PID and /proc/PID/exe of windows of this host, compared exactly
// after resolving symbolic links; windows are raised by a _NET_ACTIVE_WINDOW
// request as a pager sends it (without a window manager: raised and given
// the input focus). Windows that vanish while they are read are skipped.
//
// Without a desktop (no X server reachable, Wayland without XWayland) the
// null backend answers: no windows, nothing stored, nothing raised.

#include <basicsdll_export.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Platform {

/// Top-level windows shared by all processes of the desktop.
class BASICSDLL_EXPORT WindowManager
{
public:
    /// A top-level window: the HWND on Windows, the X11 window id on Linux;
    /// 0 is no window.
    using Window = std::uintptr_t;
#if defined(_WIN32)
    /// A file path in the system's own form: UTF-16 on Windows.
    using NativePath = std::wstring;
#else
    /// A file path in the system's own form: bytes (UTF-8) on Linux.
    using NativePath = std::string;
#endif

    /// A window found by windowsWithTag().
    struct TaggedWindow
    {
        Window window = 0;
        /// The title as 8-bit text: the ANSI code page on Windows, UTF-8 on
        /// Linux.
        std::string title;
    };

    virtual ~WindowManager();

    /// Whether this backend reaches a desktop (false for the null backend).
    virtual bool isAvailable() const = 0;
    /// Stores \a tag on \a window; false when the window does not exist.
    virtual bool tagWindow(Window window, std::uint32_t tag) = 0;
    /// The tag of \a window; 0 when it has none.
    virtual std::uint32_t toolTag(Window window) = 0;
    /// Every top-level window whose tag equals \a tag, in the system's
    /// enumeration order, with its title.
    virtual std::vector<TaggedWindow> windowsWithTag(std::uint32_t tag) = 0;
    /// Stores \a number as the order number of \a window; false when it
    /// could not be stored.
    virtual bool setOrderNumber(Window window, int number) = 0;
    /// The order number of \a window; 0 when it has none.
    virtual int orderNumber(Window window) = 0;
    /// The first top-level window, in enumeration order, of a process whose
    /// executable is \a executable; 0 when none (or \a executable is empty).
    /// Processes the caller may not inspect are skipped.
    virtual Window firstWindowOfExecutable(const NativePath &executable) = 0;
    /// Asks for \a window to become the active window; false when the
    /// request could not be made.
    virtual bool bringToFront(Window window) = 0;

    /// The implementation the library uses: a scripted one while installed,
    /// otherwise system().
    static WindowManager &instance();
    /// The desktop of this process, chosen at first use: the system backend,
    /// or the null backend when no desktop is reachable.
    static WindowManager &system();
    /// Installs a scripted implementation (nullptr restores system());
    /// returns the one installed before.
    static WindowManager *install(WindowManager *scripted);

    /// A backend of its own for the desktop named \a display (an X11
    /// display name such as ":1"; nullptr: the DISPLAY variable; ignored on
    /// Windows), or the null backend when it cannot be reached.
    static std::unique_ptr<WindowManager> connect(const char *display);
    /// The backend that reaches no desktop.
    static std::unique_ptr<WindowManager> createNull();
};

} // namespace Platform
