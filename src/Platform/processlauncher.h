#pragma once

// Starts a program as an independent process: the caller does not wait for
// it, keeps no handle to it and learns only whether the start succeeded.
//
//     Platform::DetachedStart start;
//     start.program = u"/opt/tools/viewer";
//     start.arguments = {u"--file", u"lens 1.zmx"};
//     start.inheritEnvironment = false;
//     start.environment = {{u"PATH", u"/opt/tools/bin:/usr/bin"}};
//     bool started = Platform::ProcessLauncher::instance().startDetached(start);
//
// Windows: one CreateProcessW call with the command line and environment
// block of commandline.h, handle inheritance off, CREATE_UNICODE_ENVIRONMENT
// | CREATE_NEW_CONSOLE, a startup record that asks for default placement
// only; the thread and process handles are closed at once.
//
// Linux: the program runs in a grandchild of a short-lived intermediate
// process, which the caller reaps at once (no zombie; the program is
// adopted by init or the session's subreaper). The program gets its
// arguments as its argv unchanged (argv[0] is the program text), the
// explicit environment when one is given, the working directory when one is
// given, a session of its own, default signal handling, /dev/null as
// standard input and output (as a new console would, it does not share the
// caller's) and no other descriptor of the caller. A close-on-exec pipe
// tells the caller whether exec succeeded. A program without a slash is
// searched in the caller's PATH, as Windows searches the caller's, not the
// new environment's. Texts are passed to the system in UTF-8.

#include <basicsdll_export.h>

#include "Platform/commandline.h"

#include <string>
#include <vector>

namespace Platform {

/// What to start and how.
struct DetachedStart
{
    /// The program. When empty, Windows takes the program from the command
    /// line (the first argument); Linux does the same: the first argument is
    /// both the program and argv[0], and without arguments the start fails.
    std::u16string program;
    std::vector<std::u16string> arguments; ///< passed in this order
    /// true: the new process inherits the caller's environment; false: it
    /// gets \a environment (entries whose name and value are both empty are
    /// left out).
    bool inheritEnvironment = true;
    std::vector<EnvironmentEntry> environment; ///< in this order
    std::u16string workingDirectory;           ///< empty: the caller's
};

/// The operating system's way of starting detached processes.
class BASICSDLL_EXPORT ProcessLauncher
{
public:
    virtual ~ProcessLauncher();

    /// Starts \a start's program; true when the system created the process
    /// (and, on Linux, the program image was loaded). A missing program, a
    /// bad working directory or refused access yield false; nothing stays
    /// open either way.
    virtual bool startDetached(const DetachedStart &start) = 0;

    /// The implementation the library uses: a scripted one while installed,
    /// otherwise system().
    static ProcessLauncher &instance();
    /// The operating system's launcher.
    static ProcessLauncher &system();
    /// Installs a scripted implementation (nullptr restores system());
    /// returns the one installed before.
    static ProcessLauncher *install(ProcessLauncher *scripted);
};

} // namespace Platform
