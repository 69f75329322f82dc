#pragma once

// A private X server for one test: Xvfb (no display needed) or Xephyr
// (nested in the current DISPLAY), optionally with the openbox window
// manager in it. Both are stopped, by their process ids, when the object
// goes, and die with the test process should it crash.
//
//     PrivateXServer server;
//     if (!server.start({"Xvfb", "-dpi", "120", "-screen", "0", "640x480x24"}, false))
//         QFAIL(server.error().c_str());
//     QProcess child;  // with DISPLAY=server.display()

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

class PrivateXServer
{
public:
    PrivateXServer() = default;
    PrivateXServer(const PrivateXServer &) = delete;
    PrivateXServer &operator=(const PrivateXServer &) = delete;
    ~PrivateXServer()
    {
        stop(m_windowManager);
        stop(m_server);
    }

    /// Starts \a command (server program and its options; the display is
    /// chosen by the server) and, with \a windowManager, openbox on it.
    bool start(std::vector<std::string> command, bool windowManager)
    {
        int pipeEnds[2];
        if (pipe(pipeEnds) != 0)
            return fail("pipe failed");
        command.insert(command.begin() + 1, {"-displayfd", std::to_string(pipeEnds[1]),
                                             "-nolisten", "tcp"});
        m_server = spawn(command, {}, pipeEnds[1]);
        close(pipeEnds[1]);
        std::string number;
        pollfd readable{pipeEnds[0], POLLIN, 0};
        char c = 0;
        while (poll(&readable, 1, 10000) > 0 && read(pipeEnds[0], &c, 1) == 1 && c != '\n')
            number += c;
        close(pipeEnds[0]);
        if (number.empty())
            return fail(command.front() + " did not start");
        m_display = ":" + number;
        if (!windowManager)
            return true;

        m_windowManager = spawn({"openbox", "--sm-disable"}, m_display, -1);
        const std::string check = "xprop -display " + m_display
            + " -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'";
        for (int i = 0; i < 200; ++i) {
            if (std::system(check.c_str()) == 0)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return fail("openbox did not start on " + m_display);
    }

    /// ":N", the display to connect to.
    const std::string &display() const { return m_display; }
    const std::string &error() const { return m_error; }

private:
    bool fail(const std::string &error)
    {
        m_error = error;
        return false;
    }

    // fork and exec, with output silenced, DISPLAY set when given, and the
    // child killed when this process dies. \a keepOpen stays inherited.
    static pid_t spawn(const std::vector<std::string> &command, const std::string &display,
                       int keepOpen)
    {
        // Everything that allocates is done before fork: the child of a
        // threaded process may only make plain system calls.
        std::vector<char *> arguments;
        for (const std::string &argument : command)
            arguments.push_back(const_cast<char *>(argument.c_str()));
        arguments.push_back(nullptr);
        std::vector<std::string> environment;
        for (char **entry = environ; *entry; ++entry) {
            if (display.empty() || std::string(*entry).rfind("DISPLAY=", 0) != 0)
                environment.emplace_back(*entry);
        }
        if (!display.empty())
            environment.push_back("DISPLAY=" + display);
        std::vector<char *> environmentPointers;
        for (const std::string &entry : environment)
            environmentPointers.push_back(const_cast<char *>(entry.c_str()));
        environmentPointers.push_back(nullptr);
        const pid_t parent = getpid();
        const pid_t pid = fork();
        if (pid != 0)
            return pid;
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent)
            _exit(127);
        const int null = open("/dev/null", O_RDWR);
        dup2(null, 0);
        dup2(null, 1);
        dup2(null, 2);
        for (int fd = 3; fd < 256; ++fd) {
            if (fd != keepOpen)
                close(fd);
        }
        execvpe(arguments[0], arguments.data(), environmentPointers.data());
        _exit(127);
    }

    static void stop(pid_t &pid)
    {
        if (pid <= 0)
            return;
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
        pid = 0;
    }

    pid_t m_server = 0;
    pid_t m_windowManager = 0;
    std::string m_display;
    std::string m_error;
};
