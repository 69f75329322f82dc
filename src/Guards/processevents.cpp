#include "Guards/processevents.h"

#include <QCoreApplication>

ProcessEvents::ProcessEvents(QEventLoop::ProcessEventsFlags flags, int interval)
    : m_flags(flags)
    , m_interval(interval)
{
    m_stopwatch.start();
}

void ProcessEvents::exec()
{
    if (m_stopwatch.elapsed() < m_interval)
        return;
    QCoreApplication::processEvents(m_flags);
    m_stopwatch.restart();
}
