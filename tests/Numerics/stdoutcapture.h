#pragma once

// Redirects the process's standard output into a temporary file while it
// lives, so that tests can read what the numerics printed. The library does
// not flush; text() flushes the C stream first, as the end of the process
// would. Keep QtTest checks outside the captured stretch: the test log goes
// to standard output too.

#include <QByteArray>

#include <cstdio>
#include <unistd.h>

class StdoutCapture
{
public:
    StdoutCapture()
    {
        std::fflush(stdout);
        m_saved = ::dup(STDOUT_FILENO);
        m_file = std::tmpfile();
        if (m_saved >= 0 && m_file)
            ::dup2(::fileno(m_file), STDOUT_FILENO);
    }
    ~StdoutCapture() { finish(); }

    StdoutCapture(const StdoutCapture &) = delete;
    StdoutCapture &operator=(const StdoutCapture &) = delete;

    /// Ends the capture (if still running) and returns what was written.
    QByteArray text()
    {
        finish();
        return m_text;
    }

private:
    void finish()
    {
        if (!m_file)
            return;
        std::fflush(stdout);
        if (m_saved >= 0) {
            ::dup2(m_saved, STDOUT_FILENO);
            ::close(m_saved);
        }
        std::rewind(m_file);
        char buffer[4096];
        size_t count = 0;
        while ((count = std::fread(buffer, 1, sizeof buffer, m_file)) > 0)
            m_text.append(buffer, int(count));
        std::fclose(m_file);
        m_file = nullptr;
    }

    int m_saved = -1;
    std::FILE *m_file = nullptr;
    QByteArray m_text;
};
