#include "Platform/processlauncher.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace Platform {

namespace {

std::string toUtf8(const std::u16string &text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00
            && text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD; // a lone surrogate has no UTF-8 form
        }
        if (c < 0x80) {
            out += char(c);
        } else if (c < 0x800) {
            out += char(0xC0 | (c >> 6));
            out += char(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += char(0xE0 | (c >> 12));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        } else {
            out += char(0xF0 | (c >> 18));
            out += char(0x80 | ((c >> 12) & 0x3F));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::vector<char *> pointersTo(std::vector<std::string> &texts)
{
    std::vector<char *> pointers;
    pointers.reserve(texts.size() + 1);
    for (std::string &text : texts)
        pointers.push_back(&text[0]);
    pointers.push_back(nullptr);
    return pointers;
}

// The files exec tries, in order, as execvp would with the caller's PATH.
// Relative names are made absolute against the caller's directory, which
// Windows searches too, before the new process changes its own.
std::vector<std::string> candidatePaths(const std::string &program)
{
    std::string here;
    if (char *cwd = ::getcwd(nullptr, 0)) {
        here = cwd;
        std::free(cwd);
    }
    auto absolute = [&here](const std::string &path) {
        return path.empty() || path[0] == '/' || here.empty() ? path : here + '/' + path;
    };
    if (program.find('/') != std::string::npos)
        return {absolute(program)};
    const char *searchPath = std::getenv("PATH");
    const std::string directories = searchPath ? searchPath : "/bin:/usr/bin";
    std::vector<std::string> candidates;
    std::size_t from = 0;
    while (true) {
        const std::size_t colon = directories.find(':', from);
        const std::string directory = directories.substr(from, colon - from);
        candidates.push_back(absolute((directory.empty() ? std::string(".") : directory) + '/' + program));
        if (colon == std::string::npos)
            break;
        from = colon + 1;
    }
    return candidates;
}

void writeError(int fd, int error)
{
    while (::write(fd, &error, sizeof error) < 0 && errno == EINTR) {
    }
}

// Marks every descriptor from 3 on close-on-exec, so the program gets none
// of the caller's. Only async-signal-safe calls: this runs between fork and
// exec.
void closeInheritedDescriptors(long limit)
{
#if defined(SYS_close_range)
    constexpr unsigned CloseRangeCloexec = 1u << 2;
    if (::syscall(SYS_close_range, 3u, ~0u, CloseRangeCloexec) == 0)
        return;
#endif
    for (long fd = 3; fd < limit; ++fd)
        ::fcntl(int(fd), F_SETFD, FD_CLOEXEC);
}

// The grandchild: prepares the process and replaces it with the program.
[[noreturn]] void runProgram(const std::vector<std::string> &candidates, char *const *argv,
                             char *const *envp, const char *directory, int nullDevice,
                             long descriptorLimit, int errorPipe)
{
    struct sigaction defaults = {};
    defaults.sa_handler = SIG_DFL;
    for (int signal = 1; signal < NSIG; ++signal)
        ::sigaction(signal, &defaults, nullptr);
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);

    if (directory && ::chdir(directory) != 0) {
        writeError(errorPipe, errno);
        ::_exit(127);
    }
    if (nullDevice >= 0) {
        ::dup2(nullDevice, 0);
        ::dup2(nullDevice, 1);
        ::dup2(nullDevice, 2);
    }
    closeInheritedDescriptors(descriptorLimit);

    int error = ENOENT;
    for (const std::string &path : candidates) {
        ::execve(path.c_str(), argv, envp);
        if (errno == EACCES)
            error = EACCES; // as execvp: remembered, but the search goes on
        else if (errno != ENOENT && errno != ENOTDIR) {
            error = errno;
            break;
        }
    }
    writeError(errorPipe, error);
    ::_exit(127);
}

class PosixProcessLauncher final : public ProcessLauncher
{
public:
    bool startDetached(const DetachedStart &start) override
    {
        // Everything is prepared before fork: between fork and exec only
        // async-signal-safe calls are allowed.
        std::vector<std::string> arguments;
        if (!start.program.empty())
            arguments.push_back(toUtf8(start.program));
        for (const std::u16string &argument : start.arguments)
            arguments.push_back(toUtf8(argument));
        if (arguments.empty() || arguments.front().empty())
            return false;
        const std::vector<std::string> candidates = candidatePaths(arguments.front());
        std::vector<char *> argv = pointersTo(arguments);

        std::vector<std::string> variables;
        for (const EnvironmentEntry &entry : start.environment) {
            if (!entry.name.empty() || !entry.value.empty())
                variables.push_back(toUtf8(entry.name) + '=' + toUtf8(entry.value));
        }
        std::vector<char *> envp = pointersTo(variables);
        char *const *environment = start.inheritEnvironment ? environ : envp.data();

        const std::string directory = toUtf8(start.workingDirectory);
        const long descriptorLimit = std::min(::sysconf(_SC_OPEN_MAX), 65536L);

        int errorPipe[2];
        if (::pipe2(errorPipe, O_CLOEXEC) != 0)
            return false;
        const int nullDevice = ::open("/dev/null", O_RDWR | O_CLOEXEC);

        const pid_t intermediate = ::fork();
        if (intermediate == 0) {
            // The intermediate process only forks once more and leaves, so
            // the program is adopted by init and never becomes our zombie.
            ::close(errorPipe[0]);
            ::setsid();
            const pid_t program = ::fork();
            if (program == 0) {
                runProgram(candidates, argv.data(), environment,
                           directory.empty() ? nullptr : directory.c_str(), nullDevice,
                           descriptorLimit, errorPipe[1]);
            }
            if (program < 0)
                writeError(errorPipe[1], errno);
            ::_exit(program < 0 ? 1 : 0);
        }

        ::close(errorPipe[1]);
        if (nullDevice >= 0)
            ::close(nullDevice);
        bool started = false;
        if (intermediate > 0) {
            int status = 0;
            while (::waitpid(intermediate, &status, 0) < 0 && errno == EINTR) {
            }
            // End of file without an error number: exec succeeded (the pipe
            // closed with it).
            int error = 0;
            ssize_t got;
            while ((got = ::read(errorPipe[0], &error, sizeof error)) < 0 && errno == EINTR) {
            }
            started = got == 0;
        }
        ::close(errorPipe[0]);
        return started;
    }
};

} // namespace

ProcessLauncher &ProcessLauncher::system()
{
    static PosixProcessLauncher launcher;
    return launcher;
}

} // namespace Platform
