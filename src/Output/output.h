#pragma once

// Diagnostic output of the library.
//
// Trace line (always written):
//     BASICS_TRACE << "splitter = NULL";
// gives, as one QtDebugMsg through the toolkit's message output,
//     ESC[0m 14:03:07.250ESC[31m (+12)ESC[0m (Th= 0x1a2c ) <signature> <source> 909 -> splitter = NULL
// with the enclosing function's full signature (__PRETTY_FUNCTION__), the
// source path relative to the library's src/ folder with backslashes
// ("Basics\basics.cpp") and the line number. Every item, the last one
// included, is followed by one space (see Output::LineStream).
//
// Levelled debug line (written when MyWarnings::isLevelEnabled(level); when it
// is not, nothing is built at all):
//     BASICS_DEBUG(-99) << "Invalid icon:" << path;        // with location
//     BASICS_DEBUG_NOLOC(-99) << "FAILED RMDIR:" << path;  // without location
// gives  "00:00:01:234" <signature> <source> ( 738 )  Invalid icon: "path"
// resp.  "00:00:01:234" FAILED RMDIR: "path"
//
// Scoped stopwatch:
//     Output::AutoStopWatch watch("load lens");
// writes "... -> STARTED" now and "... -> FINISHED (ESC[31m12 msecESC[0m)" at
// the end of the scope.

#include <basicsdll_export.h>

#include "Output/linestream.h"
#include "Output/mywarnings.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <cstddef>

namespace Output {

/// Time stamps of trace lines and the process-wide time of the latest one.
class BASICSDLL_EXPORT TimeHelper
{
public:
    /// Wall-clock time of the latest time stamp of any thread; null until
    /// the first one.
    static QDateTime s_last;

    /// A time stamp: the local time of day as "hh:mm:ss.zzz", followed
    /// directly by the red delta mark "ESC[31m (+<ms>)ESC[0m" with the
    /// milliseconds since the previous stamp (no mark for the first stamp of
    /// the process). Moves s_last to now; safe against concurrent callers.
    static QString showTime();

    /// Milliseconds from s_last to now; s_last is not changed. Returns 0
    /// while there has been no time stamp yet.
    static qint64 elapsed();

    /// showTime() as 8-bit text, for building lines.
    static QByteArray showTimeLatin1();
};

/// Writes a STARTED trace line on construction and a FINISHED trace line
/// with the milliseconds spent in the scope on destruction.
class BASICSDLL_EXPORT AutoStopWatch
{
public:
    /// \a name may be null; the lines then show an empty name item.
    explicit AutoStopWatch(const char *name);
    ~AutoStopWatch();

    AutoStopWatch(const AutoStopWatch &) = delete;
    AutoStopWatch &operator=(const AutoStopWatch &) = delete;

private:
    QDateTime m_start; // null until the STARTED line has been written
    QByteArray m_name;
};

/// A trace line; see the top of this header. Usually made by BASICS_TRACE.
class BASICSDLL_EXPORT TraceLine : public LineStream
{
public:
    /// Starts the line with the reset code, a time stamp, the thread, then
    /// \a signature, \a sourcePath, \a line and "->".
    TraceLine(const char *signature, const char *sourcePath, int line);
};

/// A levelled debug line; see the top of this header. Usually made by
/// BASICS_DEBUG or BASICS_DEBUG_NOLOC, which also apply the level gate.
class BASICSDLL_EXPORT DebugLine : public LineStream
{
public:
    /// Form without location.
    DebugLine();
    /// Form with location.
    DebugLine(const char *signature, const char *sourcePath, int line);
};

namespace detail {

/// A source path as diagnostic lines show it: relative to the library's
/// source root, with backslash separators. Built at compile time from
/// __FILE__. The build strips the source root from __FILE__; where it did
/// not, everything up to the last "src" folder is dropped here.
template <std::size_t N>
struct SourcePath
{
    char text[N] = {};

    constexpr explicit SourcePath(const char (&path)[N])
    {
        std::size_t start = 0;
        for (std::size_t i = 0; i + 4 < N; ++i) {
            const bool separatorBefore = path[i] == '/' || path[i] == '\\';
            const bool separatorAfter = path[i + 4] == '/' || path[i + 4] == '\\';
            if (separatorBefore && separatorAfter && path[i + 1] == 's' && path[i + 2] == 'r'
                && path[i + 3] == 'c')
                start = i + 5;
        }
        for (std::size_t i = start; i < N; ++i)
            text[i - start] = path[i] == '/' ? '\\' : path[i];
    }
};

} // namespace detail
} // namespace Output

#define BASICS_FUNCTION Q_FUNC_INFO

#define BASICS_SOURCE_PATH                                                                       \
    ([]() -> const char * {                                                                      \
        static constexpr ::Output::detail::SourcePath<sizeof(__FILE__)> sourcePath(__FILE__);    \
        return sourcePath.text;                                                                  \
    }())

#define BASICS_TRACE ::Output::TraceLine(BASICS_FUNCTION, BASICS_SOURCE_PATH, __LINE__)

#define BASICS_DEBUG(level)                                                                      \
    if (!::MyWarnings::isLevelEnabled(level)) {                                                  \
    } else                                                                                       \
        ::Output::DebugLine(BASICS_FUNCTION, BASICS_SOURCE_PATH, __LINE__)

#define BASICS_DEBUG_NOLOC(level)                                                                \
    if (!::MyWarnings::isLevelEnabled(level)) {                                                  \
    } else                                                                                       \
        ::Output::DebugLine()
