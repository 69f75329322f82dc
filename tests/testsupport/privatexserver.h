#pragma once

// A private X server (Xvfb, or Xephyr in the current DISPLAY), optionally with
// openbox; both stop with the object or with the test process.
//
//     PrivateXServer server;
//     if (!server.start({"Xvfb", "-dpi", "120"}, false))
//         QFAIL(server.error.c_str());
//     ... DISPLAY=server.display ...

#include <chrono>
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

struct PrivateXServer
{
    std::string display; // ":N"
    std::string error;

    ~PrivateXServer()
    {
        for (pid_t pid : {m_windowManager, m_server}) {
            if (pid > 0 && kill(pid, SIGTERM) == 0)
                waitpid(pid, nullptr, 0);
        }
    }

    /// Starts \a command (the server and its options; it picks a free
    /// display) and, with \a windowManager, openbox on it.
    bool start(std::vector<std::string> command, bool windowManager)
    {
        int ends[2];
        if (pipe(ends) != 0)
            return (error = "no pipe"), false;
        command.insert(command.begin() + 1, {"-displayfd", std::to_string(ends[1]), "-nolisten", "tcp"});
        m_server = spawn(command, {}, ends[1]);
        close(ends[1]);
        std::string number;
        pollfd readable{ends[0], POLLIN, 0};
        for (char c = 0; poll(&readable, 1, 10000) > 0 && read(ends[0], &c, 1) == 1 && c != '\n';)
            number += c;
        close(ends[0]);
        if (number.empty())
            return (error = command.front() + " did not start"), false;
        display = ":" + number;
        if (!windowManager)
            return true;
        m_windowManager = spawn({"openbox", "--sm-disable"}, "DISPLAY=" + display, -1);
        const std::string ready =
            "xprop -display " + display + " -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'";
        for (int i = 0; i < 200; ++i, std::this_thread::sleep_for(std::chrono::milliseconds(50))) {
            if (std::system(ready.c_str()) == 0)
                return true;
        }
        return (error = "openbox did not start on " + display), false;
    }

private:
    // fork and exec with output silenced, \a extra added to the environment,
    // and only \a keepOpen inherited. What allocates happens before fork:
    // the child of a threaded process may only make plain system calls.
    static pid_t spawn(const std::vector<std::string> &command, const std::string &extra, int keepOpen)
    {
        std::vector<char *> arguments, environment;
        for (const std::string &argument : command)
            arguments.push_back(const_cast<char *>(argument.c_str()));
        arguments.push_back(nullptr);
        if (!extra.empty())
            environment.push_back(const_cast<char *>(extra.c_str()));
        for (char **entry = environ; *entry; ++entry)
            environment.push_back(*entry);
        environment.push_back(nullptr);
        const pid_t parent = getpid(), pid = fork();
        if (pid != 0)
            return pid;
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent) // the test is gone already
            _exit(127);
        const int null = open("/dev/null", O_RDWR);
        for (int fd = 0; fd < 256; ++fd) {
            if (fd < 3)
                dup2(null, fd);
            else if (fd != keepOpen)
                close(fd);
        }
        execvpe(arguments[0], arguments.data(), environment.data());
        _exit(127);
    }

    pid_t m_server = 0;
    pid_t m_windowManager = 0;
};
