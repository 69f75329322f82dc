#pragma once

// Progress on the taskbar button (Windows) or the launcher entry (Linux
// desktops) of an application: what TaskbarProgress needs of the system.
//
//     std::unique_ptr<Platform::TaskbarSession> session =
//         Platform::Taskbar::instance().open("lensdesigner");
//     if (session->isAvailable()) {
//         session->setProgressState(window, true);
//         session->setProgressValue(window, 40, 100);
//     }
//
// A session lasts as long as the object that shows the progress:
//   Windows: CoInitialize when it opens and CoUninitialize when it closes,
//            whatever happens in between; the shell's ITaskbarList3
//            (CoCreateInstance, HrInit, SetProgressValue, SetProgressState,
//            Release).
//   Linux:   a connection of the session's own to the D-Bus session bus
//            (Qt D-Bus) on which every call becomes one
//            com.canonical.Unity.LauncherEntry "Update" signal for
//            "application://<id>.desktop", with "progress" (completed /
//            total) or "progress-visible". Without a session bus, or
//            outside a Qt application, the null backend answers: nothing is
//            available and nothing is sent.

#include <basicsdll_export.h>

#include <cstdint>
#include <memory>
#include <string>

namespace Platform {

/// A native top-level window: an HWND on Windows, an X11 window id on
/// Linux (unused there: the launcher entry belongs to the application).
using NativeWindow = std::uintptr_t;

/// One open use of the taskbar; closing it (destruction) releases what it
/// holds.
class BASICSDLL_EXPORT TaskbarSession
{
public:
    virtual ~TaskbarSession();

    /// Whether the taskbar object could be reached; if not, the calls
    /// below do nothing and return false.
    virtual bool isAvailable() const = 0;
    /// Shows \a completed of \a total on the button of \a window; false
    /// when the call failed (callers may ignore it).
    virtual bool setProgressValue(NativeWindow window, std::uint64_t completed,
                                  std::uint64_t total) = 0;
    /// Normal progress state when \a visible, no progress display
    /// otherwise.
    virtual bool setProgressState(NativeWindow window, bool visible) = 0;
    /// The system's own taskbar interface (an ITaskbarList3 pointer on
    /// Windows, owned by the session) or null.
    virtual void *nativeInterface() const = 0;
};

class BASICSDLL_EXPORT Taskbar
{
public:
    virtual ~Taskbar();

    /// Opens a session for the application \a applicationId (its desktop
    /// file name without ".desktop"; unused on Windows). Never null.
    virtual std::unique_ptr<TaskbarSession> open(const std::string &applicationId) = 0;

    /// The implementation the library uses: a scripted one while installed,
    /// otherwise system().
    static Taskbar &instance();
    /// The operating system's taskbar; on Linux the D-Bus backend, which
    /// falls back to nullTaskbar() for every session that finds no bus.
    static Taskbar &system();
    /// Installs a scripted implementation (nullptr restores system());
    /// returns the one installed before.
    static Taskbar *install(Taskbar *scripted);
    /// A taskbar that is never available.
    static Taskbar &nullTaskbar();
};

} // namespace Platform
