// Number and string formatting helpers of Basics.

#include "Basics/basics.h"

#include <QLocale>
#include <QObject>

#include <algorithm>
#include <vector>

QString BasicsFormat::toString(double value, int precision)
{
    // A double has at most 1074 significant decimals; the toolkit asserts on
    // (or allocates gigabytes for) larger precisions that would only add
    // zeros, which are dropped below anyway.
    const QLocale locale;
    QString text = locale.toString(value, 'f', std::min(precision, 1100));
    const QChar point = locale.decimalPoint();
    if (text.indexOf(point) > 0) {
        // Trailing zeros in the locale's own digits as well as in ASCII.
        const QChar zero = locale.zeroDigit();
        while (text.endsWith(QLatin1Char('0')) || text.endsWith(zero))
            text.chop(1);
        while (text.endsWith(point))
            text.chop(1);
    }
    return text;
}

QString BasicsFormat::toStringWithUnit(double value, const QString &unit)
{
    if (value == 0)
        return QStringLiteral("0 ") + unit;
    QString shown = unit;
    if (value < 1) {
        value *= 1000;
        shown = QStringLiteral("m") + unit;
        shown.replace(QStringLiteral("mm"), QObject::trUtf8("\xc2\xb5"), Qt::CaseSensitive);
    }
    return toString(value, 3) + QLatin1Char(' ') + shown;
}

QString BasicsFormat::stripLeadingDigits(QString text)
{
    // Only a prefix made entirely of digits is an ordering prefix: every
    // character before the underscore is tested, so "x_axis" and "1x_Lens"
    // keep their names.
    const int underscore = text.indexOf(QLatin1Char('_'));
    if (underscore <= 0)
        return text;
    for (int i = 0; i < underscore; ++i) {
        if (!text.at(i).isDigit())
            return text;
    }
    return text.mid(underscore + 1);
}

QString BasicsFormat::removeComment(const QString &line, const QRegExp &commentStart)
{
    QRegExp expression(commentStart); // the caller's keeps its match state
    const int start = expression.indexIn(line, 0);
    if (start < 0)
        return line;
    return line.left(start);
}

double BasicsFormat::fuzzyStringCompare(const std::string &a, const std::string &b)
{
    if (a.empty() && b.empty())
        return 1.0;
    // Levenshtein distance over bytes with two rows.
    std::vector<std::size_t> previous(b.size() + 1), current(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j)
        previous[j] = j;
    for (std::size_t i = 0; i < a.size(); ++i) {
        current[0] = i + 1;
        for (std::size_t j = 0; j < b.size(); ++j) {
            if (a[i] == b[j])
                current[j + 1] = previous[j];
            else
                current[j + 1] = 1 + std::min({previous[j], previous[j + 1], current[j]});
        }
        std::swap(previous, current);
    }
    const double distance = double(previous[b.size()]);
    return 1.0 - distance / double(std::max(a.size(), b.size()));
}
