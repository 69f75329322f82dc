#include "Output/output.h"

#include <QElapsedTimer>
#include <QThread>

#include <mutex>

int MyWarnings::debugLevel = 0;
bool MyWarnings::onlySingleLevel = false;

namespace Output {

QDateTime TimeHelper::s_last;

namespace {

constexpr qint64 s_msecsPerDay = 24 * 60 * 60 * 1000;

// Guards s_last. Next to it the stamp's milliseconds since the epoch are
// kept, so that the delta needs no local-time conversion; it is only trusted
// while s_last still holds the value stored with it (the application may
// assign s_last itself).
std::mutex s_lastMutex;
QDateTime s_lastStored;
qint64 s_lastStoredMsecs = 0;

char *writeDigits(char *target, int value, int width)
{
    for (int i = width - 1; i >= 0; --i) {
        target[i] = char('0' + value % 10);
        value /= 10;
    }
    return target + width;
}

// "hh:mm:ss" followed by \a separator and "zzz"; returns the length (12).
int formatTimeOfDay(char *target, qint64 msecsOfDay, char separator)
{
    const int ms = int(msecsOfDay % 1000);
    const int totalSeconds = int(msecsOfDay / 1000);
    char *out = writeDigits(target, totalSeconds / 3600, 2);
    *out++ = ':';
    out = writeDigits(out, (totalSeconds / 60) % 60, 2);
    *out++ = ':';
    out = writeDigits(out, totalSeconds % 60, 2);
    *out++ = separator;
    out = writeDigits(out, ms, 3);
    return int(out - target);
}

// Items 1 to 5 of a trace or stopwatch line: colour reset, time stamp, thread.
void appendStampItems(LineStream &line)
{
    line.appendWithoutSpace("\x1b[0m ");
    line.appendRaw(TimeHelper::showTimeLatin1());
    line << "(Th=" << static_cast<const void *>(QThread::currentThreadId()) << ")";
}

} // namespace

QByteArray TimeHelper::showTimeLatin1()
{
    QDateTime now;
    qint64 nowMsecs = 0;
    qint64 delta = 0;
    bool hasDelta = false;
    {
        std::lock_guard<std::mutex> lock(s_lastMutex);
        nowMsecs = QDateTime::currentMSecsSinceEpoch();
        now = QDateTime::fromMSecsSinceEpoch(nowMsecs);
        if (s_last.isValid()) {
            const qint64 lastMsecs = s_last == s_lastStored ? s_lastStoredMsecs
                                                            : s_last.toMSecsSinceEpoch();
            delta = nowMsecs - lastMsecs;
            hasDelta = true;
        }
        s_last = now;
        s_lastStored = now;
        s_lastStoredMsecs = nowMsecs;
    }

    char text[64];
    int length = formatTimeOfDay(text, now.time().msecsSinceStartOfDay(), '.');
    QByteArray stamp(text, length);
    if (hasDelta) {
        stamp.append("\x1b[31m (+");
        stamp.append(QByteArray::number(delta));
        stamp.append(")\x1b[0m");
    }
    return stamp;
}

QString TimeHelper::showTime()
{
    return QString::fromLatin1(showTimeLatin1());
}

qint64 TimeHelper::elapsed()
{
    std::lock_guard<std::mutex> lock(s_lastMutex);
    if (!s_last.isValid())
        return 0;
    return s_last.msecsTo(QDateTime::currentDateTime());
}

AutoStopWatch::AutoStopWatch(const char *name)
    : m_name(name ? name : "")
{
    {
        LineStream line;
        appendStampItems(line);
        line << m_name << "-> STARTED";
    }
    m_start = QDateTime::currentDateTime();
}

AutoStopWatch::~AutoStopWatch()
{
    LineStream line;
    appendStampItems(line);
    const qint64 spent = m_start.msecsTo(QDateTime::currentDateTime());
    line << m_name
         << QByteArray("-> FINISHED (\x1b[31m") + QByteArray::number(spent) + " msec\x1b[0m)";
}

TraceLine::TraceLine(const char *signature, const char *sourcePath, int line)
    : LineStream(QtDebugMsg, sourcePath, line, signature)
{
    appendStampItems(*this);
    *this << signature << sourcePath << line << "->";
}

DebugLine::DebugLine()
    : LineStream(QtDebugMsg)
{
    *this << MyWarnings::_elapsed_();
}

DebugLine::DebugLine(const char *signature, const char *sourcePath, int line)
    : LineStream(QtDebugMsg, sourcePath, line, signature)
{
    *this << MyWarnings::_elapsed_() << signature << sourcePath << "(" << line << ") ";
}

} // namespace Output

QString MyWarnings::_elapsed_()
{
    static const QElapsedTimer clock = [] {
        QElapsedTimer started;
        started.start();
        return started;
    }();
    char text[32];
    const int length = Output::formatTimeOfDay(text, clock.elapsed() % Output::s_msecsPerDay, ':');
    return QString::fromLatin1(text, length);
}
