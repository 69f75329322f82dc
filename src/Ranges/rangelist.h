#pragma once

// Range and RangeList: a list of intervals of doubles that merges every
// range added to it into sorted, non-overlapping ranges.
//
//     RangeList list;
//     list.addRange({1, 5});
//     list.addRange({6, 9});
//     list.addRange({4, 7});    // list.ranges() is now [1, 9]
//     list.includes(8.5);       // true
//
// addRange merges by sorting all ends and sweeping them with a depth
// counter, and the ends are sorted by Qt's quicksort, which is not stable.
// Ranges that only touch, zero-width ranges and inverted ranges therefore
// come out as that sort leaves their equal ends:
//     [1, 5] then [5, 9]          ->  [1, 9]
//     [5, 9] then [1, 5]          ->  [1, 5], [5, 9]
//     [0, 10] then [5, 5]         ->  [0, 5], [5, 10]
//     [0, 10] then [10, 10]       ->  [0, 10], [10, 10]
//     [1, 5] then (4, 2)          ->  [1, 2], [4, 5]    (cuts the gap out)
//     (9, 6) added to [1, 5]      ->  [1, 5]
// The first range added to an empty list is stored as given, even inverted.
//
// Cost: while the stored ends ascend (always, after the first addition to
// a non-empty list, unless a bound is NaN), an addition costs a few binary
// searches and the list edit. Equal ends (touching and zero-width ranges,
// pixel and line ranges on an integer grid) add a replay of the sort
// restricted to the equal ends. NaN bounds, an inverted first range, and
// lists with very many equal ends (touching ranges added downwards) re-sort
// the whole list. Every path gives the same list as the sort and sweep, on
// every input.

#include <basicsdll_export.h>

#include <QList>
#include <QVector>
#include <QtGlobal>

/// Two doubles, the lower bound and then the upper bound; nothing orders
/// them. Equal when both bounds compare equal.
struct Range
{
/// The lower bound.
    double lower;
/// The upper bound.
    double upper;
};
Q_DECLARE_TYPEINFO(Range, Q_PRIMITIVE_TYPE);

inline bool operator==(const Range &a, const Range &b)
{
    return a.lower == b.lower && a.upper == b.upper;
}
inline bool operator!=(const Range &a, const Range &b)
{
    return !(a == b);
}

/// Ranges of doubles merged into an ascending list of disjoint ranges (see
/// the top of this header).
class BASICSDLL_EXPORT RangeList
{
public:
    RangeList() = default;

    /// Same number of ranges, equal position by position.
    bool operator==(const RangeList &other) const { return m_ranges == other.m_ranges; }
/// Not equal as operator==() compares.
    bool operator!=(const RangeList &other) const { return !(*this == other); }

    /// The stored ranges, ascending and disjoint after any addRange on a
    /// non-empty list (ranges that touch may stay apart, see above).
    const QList<Range> &ranges() const { return m_ranges; }

    /// Removes all ranges.
    void clear();
    /// Adds \a range and merges it with the stored ones.
    void addRange(const Range &range);
    /// True when a stored range of non-zero width has lower <= x <= upper;
    /// zero-width ranges include nothing; false for a NaN x.
    bool includes(double x) const;

private:
    struct Edit;
    bool mergeInPlace(const Range &range);
    void mergeWithEqualEnds(const Range &range);
    void mergeBySweep(const Range &range);
    void applyEdits(const QVector<Edit> &edits);
    void findEqualEnds(double from, double to);

    QList<Range> m_ranges;
    // The stored ends ascend (lower <= upper <= next lower, no NaN): the
    // sort then only reorders equal ends.
    bool m_ordered = true;
    // The values that two or more stored ends share, ascending (kept while
    // m_ordered holds). Without any, all ends differ and the sort can order
    // them only one way.
    QVector<double> m_equalEnds;
};
