#pragma once

// System information helpers of Basics.
//
//     QString version = Basics::getProductVersion("C:/Tools/lens.exe");  // "2.1.0.7"
//
// Call them as Basics::name(); this holder only groups the declarations.

#include <basicsdll_export.h>

#include <QString>

/// System information; call them as Basics::name().
struct BASICSDLL_EXPORT BasicsSystem
{
    BasicsSystem() = delete;

    /// The product version of the Windows executable or DLL \a path (from
    /// its version resource) as four numbers joined by dots, or an empty text
    /// when the file has none. Works on every platform.
    static QString getProductVersion(const QString &path);
};
