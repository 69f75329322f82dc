#pragma once

// WProcess: starts a program as an independent process with an explicit
// environment. The caller does not wait for it, holds no handle to it and
// learns only whether the start succeeded.
//
//     WProcess process;
//     QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
//     environment.insert("PATH", toolPath);
//     process.environment = environment;           // empty: inherit the caller's
//     bool started = process.startDetached(program, arguments, QString());
//
// On Windows the program and arguments become one command line (see
// commandLine()) and the environment one UTF-16 block (environmentBlock())
// for CreateProcessW. On Linux the program gets the arguments as its argv
// unchanged; the details of both are in docs/organizer.md.

#include <basicsdll_export.h>

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

/// Detached start of a program with an explicit environment.
class BASICSDLL_EXPORT WProcess
{
public:
    /// An empty environment: started programs inherit the caller's.
    WProcess();

    /// The environment of the programs started; when empty, they inherit the
    /// caller's. Variables are passed in the order of its key list.
    QProcessEnvironment environment;

    /// Starts \a program with \a arguments in \a workingDirectory (empty:
    /// the caller's current directory; passed unchanged otherwise) and
    /// returns whether the system created the process. A missing program or
    /// a bad working directory yield false, and so does a program, argument,
    /// directory or variable holding a NUL character, which no command line
    /// or argv can carry. An empty \a program is passed on: the first
    /// argument then names the program.
    bool startDetached(const QString &program, const QStringList &arguments,
                       const QString &workingDirectory);

    /// The Windows command line for \a program and \a arguments: the program
    /// (in double quotes when it holds a space and neither starts nor ends
    /// with one; '/' written as '\') and a space, then for every argument a
    /// space and the argument with each run of backslashes before a double
    /// quote doubled and the quote escaped, enclosed in double quotes when
    /// it is empty or holds a space or tab (trailing backslashes stay
    /// outside the closing quote). Example: program "p", arguments "a" and
    /// "b c" give: p  a "b c"
    static QString commandLine(const QString &program, const QStringList &arguments);

    /// The Windows environment block of \a environment: for every variable
    /// in key order its name, "=", its value and a 16-bit zero, in UTF-16 of
    /// the machine's byte order, then four zero bytes. Variables whose name
    /// and value are both empty are left out.
    static QByteArray environmentBlock(const QProcessEnvironment &environment);
};
