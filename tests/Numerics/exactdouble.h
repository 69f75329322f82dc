#pragma once

// Exact comparison of doubles for the golden-master checks of the numerics.
// Their results are deterministic (IEEE arithmetic, no contraction), so a
// changed comparison or step shows up as a different bit pattern even where
// the answer is still within tolerance. A failure prints both values in
// hexadecimal notation, ready to be pasted as a literal.

#include <QString>
#include <QtTest>

#include <cstdint>
#include <cstdio>
#include <cstring>

inline bool sameBits(double a, double b)
{
    std::uint64_t x = 0;
    std::uint64_t y = 0;
    std::memcpy(&x, &a, sizeof x);
    std::memcpy(&y, &b, sizeof y);
    return x == y;
}

inline QString exactText(double value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%a (%.17g)", value, value);
    return QString::fromLatin1(text);
}

#define COMPARE_EXACTLY(actual, expected)                                                     \
    do {                                                                                      \
        const double actual_ = (actual);                                                      \
        const double expected_ = (expected);                                                  \
        QVERIFY2(sameBits(actual_, expected_),                                                \
                 qPrintable(QStringLiteral("%1 is %2, expected %3")                           \
                                .arg(QStringLiteral(#actual), exactText(actual_),             \
                                     exactText(expected_))));                                 \
    } while (false)
