#include "Ranges/rangelist.h"

#include <QVector>
#include <QtAlgorithms>

namespace {

// One end of a range; ordered by value only, so equal values of opening and
// closing ends keep whatever order the sort leaves them in.
struct RangeEndpoint
{
    double value;
    bool opening;

    bool operator<(const RangeEndpoint &other) const { return value < other.value; }
};

bool hasDistinctEnds(const QList<Range> &ranges)
{
    for (int i = 0; i < ranges.size(); ++i) {
        if (!(ranges.at(i).lower < ranges.at(i).upper))
            return false;
        if (i + 1 < ranges.size() && !(ranges.at(i).upper < ranges.at(i + 1).lower))
            return false;
    }
    return true;
}

// The stored ends as one ascending sequence: range i has its lower end at
// 2i and its upper end at 2i + 1.
double endAt(const QList<Range> &ranges, int index)
{
    const Range &range = ranges.at(index / 2);
    return index % 2 == 0 ? range.lower : range.upper;
}

// Number of stored ends below x (the ends must ascend).
int endsBelow(const QList<Range> &ranges, double x)
{
    int low = 0;
    int high = 2 * ranges.size();
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (endAt(ranges, middle) < x)
            low = middle + 1;
        else
            high = middle;
    }
    return low;
}

bool isEndAt(const QList<Range> &ranges, int index, double x)
{
    return index < 2 * ranges.size() && endAt(ranges, index) == x;
}

} // namespace

void RangeList::clear()
{
    m_ranges.clear();
    m_distinctEnds = true;
}

void RangeList::addRange(const Range &range)
{
    const Range added = range; // the argument may be one of our own ranges
    if (m_ranges.isEmpty()) {
        m_ranges.append(added);
        m_distinctEnds = added.lower < added.upper;
        return;
    }
    if (m_distinctEnds && added.lower < added.upper && mergeInPlace(added))
        return;
    mergeBySweep(added);
}

// With all ends distinct the sorted order is unique and the sweep yields the
// plain union, so the ranges that overlap the new one can be replaced by
// their hull directly.
bool RangeList::mergeInPlace(const Range &range)
{
    const int belowLower = endsBelow(m_ranges, range.lower);
    const int belowUpper = endsBelow(m_ranges, range.upper);
    if (isEndAt(m_ranges, belowLower, range.lower) || isEndAt(m_ranges, belowUpper, range.upper))
        return false; // touches a stored end: the sort's tie order decides

    const int first = belowLower / 2;          // first range ending above range.lower
    const int last = (belowUpper + 1) / 2 - 1; // last range starting below range.upper
    if (first > last) {
        m_ranges.insert(first, range); // in a gap
        return true;
    }
    if (belowLower == belowUpper)
        return true; // inside one stored range
    const Range hull{belowLower % 2 == 0 ? range.lower : m_ranges.at(first).lower,
                     belowUpper % 2 == 0 ? range.upper : m_ranges.at(last).upper};
    m_ranges[first] = hull;
    m_ranges.erase(m_ranges.begin() + first + 1, m_ranges.begin() + last + 1);
    return true;
}

void RangeList::mergeBySweep(const Range &range)
{
    QVector<RangeEndpoint> endpoints;
    endpoints.reserve(2 * (m_ranges.size() + 1));
    for (const Range &stored : qAsConst(m_ranges)) {
        endpoints.append({stored.lower, true});
        endpoints.append({stored.upper, false});
    }
    endpoints.append({range.lower, true});
    endpoints.append({range.upper, false});
    qSort(endpoints.begin(), endpoints.end());

    // Depth counts open ranges (it goes below 0 for inverted ones): an
    // opening end at depth 0 starts a merged range, a closing end at depth 1
    // ends it.
    QList<Range> merged;
    merged.reserve(m_ranges.size() + 1);
    int depth = 0;
    bool started = false;
    double start = 0.0;
    for (const RangeEndpoint &end : qAsConst(endpoints)) {
        if (end.opening) {
            if (depth == 0) {
                start = end.value;
                started = true;
            }
            ++depth;
        } else {
            if (depth == 1 && started) {
                if (end.value < start)
                    merged.append(Range{end.value, start});
                else
                    merged.append(Range{start, end.value});
                started = false;
            }
            --depth;
        }
    }
    m_ranges = merged;
    m_distinctEnds = hasDistinctEnds(m_ranges);
}

bool RangeList::includes(double x) const
{
    if (m_distinctEnds) {
        // Ascending ends: x is inside a range when an odd number of ends
        // lies below it, or when it equals the next end.
        const int below = endsBelow(m_ranges, x);
        return below % 2 == 1 || isEndAt(m_ranges, below, x);
    }
    for (const Range &range : m_ranges) {
        if (range.upper - range.lower != 0 && range.lower <= x && x <= range.upper)
            return true;
    }
    return false;
}
