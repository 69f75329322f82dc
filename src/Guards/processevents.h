#pragma once

// ProcessEvents: keeps an interface responsive inside a long loop without
// processing events on every pass.
//
//     ProcessEvents pump(QEventLoop::ExcludeUserInputEvents, 100);
//     for (...) {
//         work();
//         pump.exec(); // processes pending events at most once per 100 ms
//     }
//
// The interval is measured from the end of the last processing.

#include <basicsdll_export.h>

#include <QElapsedTimer>
#include <QEventLoop>

/// Processes pending events at most once per interval (see the top of this
/// header).
class BASICSDLL_EXPORT ProcessEvents
{
public:
    /// Processes events with \a flags at most once every \a interval
    /// milliseconds; the first interval starts now.
    ProcessEvents(QEventLoop::ProcessEventsFlags flags, int interval);

    /// Processes pending events once if at least the interval has passed
    /// since construction or since the last processing; otherwise returns at
    /// once.
    void exec();

private:
    QEventLoop::ProcessEventsFlags m_flags;
    QElapsedTimer m_stopwatch;
    int m_interval;
};
