#pragma once

// Runs work in a child process whose address space (RLIMIT_AS) is what is in
// use now plus some headroom, so that large allocations fail. Not under
// sanitizers, which reserve terabytes (supported() is false).
//
//     QCOMPARE(MemoryLimit::run(64 << 20, [] { return IntRange(0, 1 << 27).toList().isEmpty(); }),
//              MemoryLimit::Passed);

#include <QFile>

#include <csignal>
#include <functional>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace MemoryLimit {

/// Threw: an exception (std::bad_alloc out of the library) left the work.
enum Outcome { Passed, Failed, Threw, Crashed };

inline bool supported()
{
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    return false;
#else
    return true;
#endif
}

inline Outcome run(qint64 headroom, const std::function<bool()> &work)
{
    QFile proc(QStringLiteral("/proc/self/status")); // VmSize: the address space in use
    proc.open(QIODevice::ReadOnly);
    const QByteArray text = proc.readAll();
    const int at = text.indexOf("VmSize:");
    const qint64 inUse = text.mid(at + 7, text.indexOf("kB", at) - at - 7).trimmed().toLongLong();
    const rlim_t limit = rlim_t(inUse * 1024 + headroom);
    const pid_t child = ::fork();
    if (child == 0) {
        // No debugger from the test framework's crash handler, and never
        // back into the framework, which would run on in the child.
        for (int signal : {SIGABRT, SIGSEGV, SIGBUS, SIGILL, SIGFPE})
            std::signal(signal, SIG_DFL);
        const rlimit address{limit, limit};
        try {
            ::_exit(::setrlimit(RLIMIT_AS, &address) == 0 && work() ? 0 : 1);
        } catch (...) {
            ::_exit(3);
        }
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return Crashed;
    const int code = WEXITSTATUS(status);
    return code == 0 ? Passed : code == 3 ? Threw : Failed;
}

} // namespace MemoryLimit
