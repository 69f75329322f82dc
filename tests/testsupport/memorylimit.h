#pragma once

// Runs a piece of work in a child process whose address space is limited
// (RLIMIT_AS) to what the test uses already plus some headroom, so that an
// allocation of a few hundred megabytes fails there as it would on a loaded
// machine. The child reports through its exit code: Passed or Failed by what
// the work returns, Threw when an exception (a std::bad_alloc out of the
// library) escapes it, Crashed when it dies.
//
//     QVERIFY(MemoryLimit::supported());   // or QSKIP
//     QCOMPARE(MemoryLimit::run(64 << 20, [] { return IntRange(0, 1 << 27).toList().isEmpty(); }),
//              MemoryLimit::Passed);
//
// Builds with AddressSanitizer or ThreadSanitizer reserve terabytes of
// address space and cannot run under such a limit: supported() is false.

#include <QByteArray>
#include <QFile>

#include <csignal>
#include <functional>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace MemoryLimit {

enum Outcome { Passed, Failed, Threw, Crashed };

inline bool supported()
{
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    return false;
#else
    return true;
#endif
}

/// The process's current address-space size in bytes (0 if unknown).
inline qint64 addressSpaceInUse()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmSize:"))
            return line.mid(7).trimmed().split(' ').value(0).toLongLong() * 1024;
    }
    return 0;
}

/// Runs \a work in a child limited to the current address space plus
/// \a headroom bytes.
inline Outcome run(qint64 headroom, const std::function<bool()> &work)
{
    const qint64 limit = addressSpaceInUse() + headroom;
    const pid_t child = ::fork();
    if (child == 0) {
        // The test framework's crash handler would attach a debugger to the
        // child; a crash here just ends it.
        for (int signal : {SIGABRT, SIGSEGV, SIGBUS, SIGILL, SIGFPE})
            std::signal(signal, SIG_DFL);
        const rlimit address{rlim_t(limit), rlim_t(limit)};
        if (::setrlimit(RLIMIT_AS, &address) != 0)
            ::_exit(2);
        try {
            ::_exit(work() ? 0 : 1);
        } catch (...) {
            ::_exit(3); // never back into the test framework: it would run on in the child
        }
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child)
        return Crashed;
    if (!WIFEXITED(status))
        return Crashed;
    switch (WEXITSTATUS(status)) {
    case 0:
        return Passed;
    case 3:
        return Threw;
    default:
        return Failed;
    }
}

} // namespace MemoryLimit
