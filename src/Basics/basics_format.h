#pragma once

// Number and string formatting helpers of Basics.
//
//     Basics::toString(2.50, 3);                  // "2.5"
//     Basics::toStringWithUnit(0.002, "mm");      // "2 µm"
//     Basics::stripLeadingDigits("01_Lens");      // "Lens"
//
// Call them as Basics::name(); this holder only groups the declarations.

#include <basicsdll_export.h>

#include <QRegExp>
#include <QString>

#include <string>

/// Number and string formatting; call them as Basics::name().
struct BASICSDLL_EXPORT BasicsFormat
{
    BasicsFormat() = delete;

    /// \a value in the default locale with \a precision decimals, trailing
    /// zeros (and a trailing decimal point) removed.
    static QString toString(double value, int precision);
    /// \a value with \a unit; below 1 the value is shown in the next smaller
    /// unit prefix ("m", and "mm" becomes the micro sign).
    static QString toStringWithUnit(double value, const QString &unit);
    /// Removes a numeric ordering prefix such as "01_" from \a text.
    static QString stripLeadingDigits(QString text);
    /// \a line up to the first match of \a commentStart.
    static QString removeComment(const QString &line, const QRegExp &commentStart);
    /// Similarity of two byte strings from 0.0 to 1.0 by their edit distance.
    static double fuzzyStringCompare(const std::string &a, const std::string &b);
};
