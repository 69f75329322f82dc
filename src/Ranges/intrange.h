#pragma once

// IntRange: a run of ints lower, lower + 1, ..., upper - 1 (the upper bound
// is exclusive), such as a block of selected lines.
//
//     IntRange lines(7, 3);     // the constructor orders: covers 3, 4, 5, 6
//     lines.size();             // 4
//     lines.contains(7);        // false
//     lines.toList();           // [3, 4, 5, 6]

#include <basicsdll_export.h>

#include <QList>

/// A run of ints from lower() up to upper(), upper bound exclusive.
class BASICSDLL_EXPORT IntRange
{
public:
    /// Empty run at 0.
    IntRange() = default;
    /// From a up to b (exclusive); the bounds are swapped if b < a.
    IntRange(int a, int b);

/// The first value of the run.
    int lower() const { return m_lower; }
/// One past the last value of the run.
    int upper() const { return m_upper; }

    /// upper - lower, the number of values covered; saturates at INT_MAX for
    /// runs longer than an int can count.
    int size() const;
    /// True when upper <= lower.
    bool isEmpty() const { return m_upper <= m_lower; }
    /// lower <= value < upper.
    bool contains(int value) const { return m_lower <= value && value < m_upper; }
    /// Swaps the bounds if upper < lower.
    void normalize();
    /// The covered values in ascending order; empty when upper <= lower.
    /// Also empty when the list cannot be made: more than about 268 million
    /// values (what one QList<int> holds) or not enough memory.
    QList<int> toList() const;

private:
    int m_lower = 0;
    int m_upper = 0;
};
