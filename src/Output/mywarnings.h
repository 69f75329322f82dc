#pragma once

// The process-wide gate of levelled debug lines and the elapsed clock.
//
// A levelled debug line of level L is written when debugLevel == L, or when
// onlySingleLevel is false and debugLevel > L. The library never changes
// these values; the application sets them. They are plain values, read
// without a lock.

#include <basicsdll_export.h>

#include <QString>

/// The gate of levelled debug lines (debugLevel, onlySingleLevel) and the
/// elapsed clock they show.
class BASICSDLL_EXPORT MyWarnings
{
public:
    /// Gate of levelled debug lines; 0 at load.
    static int debugLevel;
    /// With true, only lines of exactly debugLevel are written; false at load.
    static bool onlySingleLevel;

    /// Reading of the elapsed clock as "hh:mm:ss:zzz". The clock starts at
    /// the first call (which therefore reads 00:00:00:000) and is never
    /// restarted; the reading wraps to zero after 24 hours.
    static QString _elapsed_();

    /// Whether a levelled debug line of \a level passes the gate.
    static bool isLevelEnabled(int level)
    {
        return debugLevel == level || (!onlySingleLevel && debugLevel > level);
    }
};
