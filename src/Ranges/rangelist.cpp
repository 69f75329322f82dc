#include "Ranges/rangelist.h"

#include "Ranges/quicksortties_p.h"

#include <QVector>
#include <QtAlgorithms>

#include <algorithm>
#include <cmath>
#include <limits>

using RangeListPrivate::storedEnd;

namespace {

// One end of a range; ordered by value only, so equal values of opening and
// closing ends keep whatever order the sort leaves them in.
struct RangeEndpoint
{
    double value;
    bool opening;

    bool operator<(const RangeEndpoint &other) const { return value < other.value; }
};

// Number of stored ends below x (the ends must ascend).
int endsBelow(const QList<Range> &ranges, double x)
{
    int low = 0;
    int high = 2 * ranges.size();
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (storedEnd(ranges, middle) < x)
            low = middle + 1;
        else
            high = middle;
    }
    return low;
}

// Number of stored ends at or below x (the ends must ascend).
int endsUpTo(const QList<Range> &ranges, double x)
{
    int low = 0;
    int high = 2 * ranges.size();
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (x < storedEnd(ranges, middle))
            high = middle;
        else
            low = middle + 1;
    }
    return low;
}

bool isEndAt(const QList<Range> &ranges, int index, double x)
{
    return index < 2 * ranges.size() && storedEnd(ranges, index) == x;
}

bool ascendingEnds(const QList<Range> &ranges)
{
    double previous = -std::numeric_limits<double>::infinity();
    for (int id = 0; id < 2 * ranges.size(); ++id) {
        const double end = storedEnd(ranges, id);
        if (!(previous <= end)) // also false for NaN
            return false;
        previous = end;
    }
    return true;
}

// Ends of one value: stored ends [first, last) and, when flagged, the new
// range's ends.
struct EqualEnds
{
    double value;
    int first;
    int last;
    bool lower;
    bool upper;
};

} // namespace

// Stored ranges [first, first + count) give way to the ranges that
// consecutive pairs of \a ends make.
struct RangeList::Edit
{
    int first;
    int count;
    QVector<double> ends;
};

void RangeList::clear()
{
    m_ranges.clear();
    m_ordered = true;
    m_equalEnds.clear();
}

void RangeList::addRange(const Range &range)
{
    const Range added = range; // the argument may be one of our own ranges
    if (m_ranges.isEmpty()) {
        m_ranges.append(added);
        m_ordered = added.lower <= added.upper; // false for NaN
        m_equalEnds.clear();
        if (added.lower == added.upper)
            m_equalEnds.append(added.lower);
        return;
    }
    if (!m_ordered || std::isnan(added.lower) || std::isnan(added.upper)) {
        mergeBySweep(added);
        return;
    }
    if (m_equalEnds.isEmpty() && added.lower < added.upper && mergeInPlace(added))
        return;
    mergeWithEqualEnds(added);
}

// With all ends distinct the sorted order is unique and the sweep yields the
// plain union, so the ranges that overlap the new one can be replaced by
// their hull directly. False when the new range shares a stored end.
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
    m_ordered = ascendingEnds(m_ranges);
    m_equalEnds.clear();
    if (m_ordered)
        findEqualEnds(-std::numeric_limits<double>::infinity(),
                      std::numeric_limits<double>::infinity());
}

// The sweep over ends that ascend but share values. Ends of distinct values
// have one sorted order; ends of one value come out of the sort in the
// order QuickSortTies works out. The sweep then walks the stored ends run by
// run: a run between two places where ends are equal or new ends come in
// is kept as it is or dropped as a whole, by the depth it starts at. What
// changes becomes a few edits of the list.
void RangeList::mergeWithEqualEnds(const Range &range)
{
    const int storedEnds = 2 * m_ranges.size();
    QVector<EqualEnds> groups;
    groups.reserve(m_equalEnds.size() + 2);
    for (double value : qAsConst(m_equalEnds))
        groups.append({value, endsBelow(m_ranges, value), endsUpTo(m_ranges, value), false, false});
    // The new range's ends join the stored ends of their value.
    auto join = [&](double value, bool lower) {
        auto at = std::lower_bound(groups.begin(), groups.end(), value,
                                   [](const EqualEnds &group, double x) { return group.value < x; });
        if (at == groups.end() || at->value != value) {
            const int first = endsBelow(m_ranges, value);
            const int last = endsUpTo(m_ranges, value);
            if (first == last)
                return false;
            at = groups.insert(at, {value, first, last, false, false});
        }
        (lower ? at->lower : at->upper) = true;
        return true;
    };
    bool lowerJoined = join(range.lower, true);
    bool upperJoined = join(range.upper, false);
    if (range.lower == range.upper && !lowerJoined) {
        const int at = endsBelow(m_ranges, range.lower);
        const auto before = std::lower_bound(
            groups.begin(), groups.end(), range.lower,
            [](const EqualEnds &group, double x) { return group.value < x; });
        groups.insert(before, {range.lower, at, at, true, true});
        lowerJoined = upperJoined = true;
    }

    // The replay costs about the square of the number of equal ends times
    // the depth of the sort; with many of them (ranges added touching,
    // downwards, stay apart) sorting all ends is cheaper. The budget of
    // parts bounds the replay on arrangements that make the sort itself
    // slow.
    int members = 0;
    for (const EqualEnds &group : qAsConst(groups))
        members += group.last - group.first + int(group.lower) + int(group.upper);
    int depth = 1;
    while ((1 << depth) < storedEnds + 2)
        ++depth;
    if (qint64(members) * members > qint64(storedEnds) * depth / 2) {
        mergeBySweep(range);
        return;
    }

    // The order the sort leaves each group's ends in (ids: 2i, 2i + 1 for
    // stored range i; storedEnds, storedEnds + 1 for the new range).
    QVector<QVector<int>> order(groups.size());
    {
        RangeListPrivate::QuickSortTies ties(m_ranges, range.lower, range.upper);
        for (int g = 0; g < groups.size(); ++g) {
            for (int id = groups[g].first; id < groups[g].last; ++id)
                ties.addMember(id, g);
            if (groups[g].lower)
                ties.addMember(storedEnds, g);
            if (groups[g].upper)
                ties.addMember(storedEnds + 1, g);
        }
        if (!ties.run(storedEnds / 4 + 64 * members)) {
            mergeBySweep(range);
            return;
        }
        int member = 0;
        for (int g = 0; g < groups.size(); ++g) {
            QVector<QPair<int, int>> byPosition;
            const int count = groups[g].last - groups[g].first + int(groups[g].lower)
                              + int(groups[g].upper);
            for (int i = 0; i < count; ++i, ++member)
                byPosition.append({ties.position(member), ties.memberId(member)});
            std::sort(byPosition.begin(), byPosition.end());
            for (const auto &entry : qAsConst(byPosition))
                order[g].append(entry.second);
        }
    }

    // The sweep. Selected ends are kept runs of stored ends (from >= 0) or
    // single values.
    struct Selected
    {
        int from;
        int to;
        double value;
    };
    QVector<Selected> selected;
    depth = 0;
    int cursor = 0; // stored ends before it are swept
    auto sweepStored = [&](int to) {
        if (to <= cursor)
            return;
        // Stored ends alternate lower, upper: a run is selected whole or not
        // at all, and moves the depth by at most one.
        const bool startsWithLower = cursor % 2 == 0;
        if (depth == (startsWithLower ? 0 : 1))
            selected.append({cursor, to, 0.0});
        if ((to - cursor) % 2 == 1)
            depth += startsWithLower ? 1 : -1;
        cursor = to;
    };
    auto sweepEnd = [&](double value, bool opening) {
        if (opening) {
            if (depth == 0)
                selected.append({-1, -1, value});
            ++depth;
        } else {
            if (depth == 1)
                selected.append({-1, -1, value});
            --depth;
        }
    };
    RangeEndpoint single[2];
    int singles = 0;
    if (!lowerJoined)
        single[singles++] = {range.lower, true};
    if (!upperJoined)
        single[singles++] = {range.upper, false};
    if (singles == 2 && single[1].value < single[0].value)
        std::swap(single[0], single[1]); // an inverted range
    for (int g = 0, s = 0; g < groups.size() || s < singles;) {
        if (s < singles && (g == groups.size() || single[s].value < groups[g].value)) {
            sweepStored(endsBelow(m_ranges, single[s].value));
            sweepEnd(single[s].value, single[s].opening);
            ++s;
        } else {
            sweepStored(groups[g].first);
            for (int id : qAsConst(order[g]))
                sweepEnd(groups[g].value, id % 2 == 0);
            cursor = groups[g].last;
            ++g;
        }
    }
    sweepStored(storedEnds);

    // What lies between kept runs is an edit, widened to whole ranges (a
    // kept run may start with an upper end or stop after a lower one).
    QVector<Edit> edits;
    QVector<double> spans; // value span of each edit, for the equal ends
    int settled = 0;
    QVector<double> pending;
    auto closeEdit = [&](int to) {
        int from = settled;
        if (from == to && pending.isEmpty())
            return;
        if (from % 2 == 1)
            pending.prepend(storedEnd(m_ranges, --from));
        if (to % 2 == 1)
            pending.append(storedEnd(m_ranges, to++));
        bool same = pending.size() == to - from;
        for (int i = 0; same && i < pending.size(); ++i)
            same = pending[i] == storedEnd(m_ranges, from + i);
        if (!same) {
            double low = std::numeric_limits<double>::infinity();
            double high = -low;
            if (from < to) {
                low = storedEnd(m_ranges, from);
                high = storedEnd(m_ranges, to - 1);
            }
            if (!pending.isEmpty()) {
                low = std::min(low, pending.first());
                high = std::max(high, pending.last());
            }
            edits.append({from / 2, (to - from) / 2, pending});
            spans << low << high;
        }
        pending.clear();
    };
    for (const Selected &end : qAsConst(selected)) {
        if (end.from < 0) {
            pending.append(end.value);
            continue;
        }
        closeEdit(end.from);
        settled = end.to;
    }
    closeEdit(storedEnds);

    applyEdits(edits);
    for (int i = 0; i < spans.size(); i += 2)
        findEqualEnds(spans[i], spans[i + 1]);
}

void RangeList::applyEdits(const QVector<Edit> &edits)
{
    // From the last to the first, so that the earlier indexes stay valid.
    for (int e = edits.size() - 1; e >= 0; --e) {
        const Edit &edit = edits[e];
        const int count = edit.ends.size() / 2;
        const int common = qMin(count, edit.count);
        for (int i = 0; i < common; ++i)
            m_ranges[edit.first + i] = Range{edit.ends[2 * i], edit.ends[2 * i + 1]};
        if (edit.count > count) {
            m_ranges.erase(m_ranges.begin() + edit.first + count,
                           m_ranges.begin() + edit.first + edit.count);
        }
        for (int i = common; i < count; ++i)
            m_ranges.insert(edit.first + i, Range{edit.ends[2 * i], edit.ends[2 * i + 1]});
    }
}

// Brings m_equalEnds up to date for the values in [from, to] after the
// stored ends there changed; the ends must ascend.
void RangeList::findEqualEnds(double from, double to)
{
    const auto first = std::lower_bound(m_equalEnds.begin(), m_equalEnds.end(), from);
    const auto last = std::upper_bound(first, m_equalEnds.end(), to);
    const int at = int(first - m_equalEnds.begin());
    m_equalEnds.erase(first, last);
    QVector<double> found;
    const int end = endsUpTo(m_ranges, to);
    for (int id = endsBelow(m_ranges, from); id + 1 < end; ++id) {
        const double value = storedEnd(m_ranges, id);
        if (value == storedEnd(m_ranges, id + 1) && (found.isEmpty() || found.last() != value))
            found.append(value);
    }
    for (int i = 0; i < found.size(); ++i)
        m_equalEnds.insert(at + i, found[i]);
}

bool RangeList::includes(double x) const
{
    if (m_ordered) {
        // Ascending ends: the ranges holding x follow the first one whose
        // upper end reaches x (several only where ranges touch or have no
        // width).
        int first = endsBelow(m_ranges, x) / 2;
        for (; first < m_ranges.size() && m_ranges.at(first).lower <= x; ++first) {
            const Range &range = m_ranges.at(first);
            if (range.upper - range.lower != 0 && x <= range.upper)
                return true;
        }
        return false;
    }
    for (const Range &range : m_ranges) {
        if (range.upper - range.lower != 0 && range.lower <= x && x <= range.upper)
            return true;
    }
    return false;
}
