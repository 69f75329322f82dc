#pragma once

// MyRange: a closed interval [lower, upper] of doubles.
//
//     MyRange r(5, 1);          // lower 1, upper 5: the constructor orders
//     r.contains(5);            // true, both ends belong to it
//     MyRange().isEmpty();      // true: empty means zero width...
//     MyRange().contains(0);    // ...yet the single point 0 is contained
//
// Infinite values lie outside every range, infiniteRange() included (its
// bounds are -DBL_MAX and +DBL_MAX); a NaN is contained in none. A NaN
// bound is kept where it was given (the order test is "a > b").

#include <basicsdll_export.h>

/// A closed interval [lower(), upper()] of doubles.
class BASICSDLL_EXPORT MyRange
{
public:
    /// [0, 0].
    MyRange() = default;
    /// [a, b], or [b, a] when a > b.
    MyRange(double a, double b);

    /// [-DBL_MAX, +DBL_MAX], the widest range of finite values.
    static MyRange infiniteRange();

/// The lower bound.
    double lower() const { return m_lower; }
/// The upper bound.
    double upper() const { return m_upper; }

    /// True exactly when upper == lower (false for a NaN bound).
    bool isEmpty() const;
    /// |upper - lower|.
    double width() const;
    /// (upper + lower) / 2.
    double center() const;
    /// lower <= x <= upper, decided as max(lower, min(x, upper)) == x; false
    /// for a NaN x.
    bool contains(double x) const;
    /// Swaps the bounds if lower > upper.
    void normalize();

private:
    double m_lower = 0.0;
    double m_upper = 0.0;
};
