#pragma once

// The "apx" style-sheet rule done literally, for differential tests and
// benchmarks: one global replace of line comments, then, until no match is
// left, the first "\d{1,}apx" searched from the start of the sheet is
// replaced by its number times the factor (rounded half up, truncated)
// followed by "px". Quadratic in the sheet's length, on purpose.

#include <QRegExp>
#include <QString>

#include <climits>
#include <cmath>

// The regular-expression engine of the reference: QRegExp, whose \d matches
// every Unicode decimal digit; the conversion reads only ASCII digits.
inline bool literalAutoScaleStyleSheet(QString &sheet, double factor)
{
    if (sheet.isEmpty())
        return false;
    sheet.replace(QRegExp(QStringLiteral("//[^\n]*\n")), QString());
    QRegExp length(QStringLiteral("\\d{1,}apx"));
    bool replaced = false;
    for (int at = length.indexIn(sheet, 0); at >= 0; at = length.indexIn(sheet, 0)) {
        QString digits = length.cap(0);
        digits.remove(QStringLiteral("apx"));
        const int value = digits.toInt(); // 0 when it does not fit
        const double scaled = value * factor + 0.5;
        const int result = std::isnan(scaled) ? 0
            : scaled >= double(INT_MAX)       ? INT_MAX
            : scaled <= double(INT_MIN)       ? INT_MIN
                                              : int(scaled);
        sheet.replace(at, length.matchedLength(), QStringLiteral("%1px").arg(result));
        replaced = true;
    }
    return replaced;
}
