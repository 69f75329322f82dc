#include "Ranges/quicksortties_p.h"

#include <algorithm>

namespace RangeListPrivate {

QuickSortTies::QuickSortTies(const QList<Range> &ranges, double lower, double upper)
    : m_ranges(ranges)
    , m_storedEnds(2 * ranges.size())
    , m_lower(lower)
    , m_upper(upper)
{
    // The array as the sort gets it: the stored ends, then the new range's.
    m_pieces.push_back({0, m_storedEnds, 0});
    m_pieces.push_back({m_storedEnds, 1, m_storedEnds});
    m_pieces.push_back({m_storedEnds + 1, 1, m_storedEnds + 1});
}

void QuickSortTies::addMember(int id, int group)
{
    m_members.push_back({id, id, group});
}

bool QuickSortTies::run(int partBudget)
{
    m_partBudget = partBudget;
    return sort(0, m_storedEnds + 2);
}

double QuickSortTies::valueOf(int id) const
{
    if (id < m_storedEnds)
        return storedEnd(m_ranges, id);
    return id == m_storedEnds ? m_lower : m_upper;
}

int QuickSortTies::pieceAt(int position) const
{
    int low = 0;
    int high = int(m_pieces.size()) - 1;
    while (low < high) {
        const int middle = low + (high - low + 1) / 2;
        if (m_pieces[std::size_t(middle)].position <= position)
            low = middle;
        else
            high = middle - 1;
    }
    return low;
}

int QuickSortTies::idAt(int position) const
{
    const Piece &piece = m_pieces[std::size_t(pieceAt(position))];
    return piece.firstId + (position - piece.position);
}

// Splits the piece holding \a position so that the position is a piece of
// its own; returns that piece's index.
int QuickSortTies::isolate(int position)
{
    const int index = pieceAt(position);
    const Piece piece = m_pieces[std::size_t(index)];
    if (piece.length == 1)
        return index;
    const int before = position - piece.position;
    const int after = piece.length - before - 1;
    Piece parts[3];
    int count = 0;
    if (before > 0)
        parts[count++] = {piece.position, before, piece.firstId};
    parts[count++] = {position, 1, piece.firstId + before};
    if (after > 0)
        parts[count++] = {position + 1, after, piece.firstId + before + 1};
    m_pieces[std::size_t(index)] = parts[0];
    m_pieces.insert(m_pieces.begin() + index + 1, parts + 1, parts + count);
    return index + (before > 0 ? 1 : 0);
}

// Joins a piece with its neighbours where the ids run on, so that a part
// the sort put back in order is one run again. Only stored ends form runs:
// their values ascend, which the scans rely on.
void QuickSortTies::mergeAround(int index)
{
    auto joinable = [this](const Piece &a, const Piece &b) {
        return a.firstId + a.length == b.firstId && b.firstId + b.length <= m_storedEnds;
    };
    if (index + 1 < int(m_pieces.size())
        && joinable(m_pieces[std::size_t(index)], m_pieces[std::size_t(index + 1)])) {
        m_pieces[std::size_t(index)].length += m_pieces[std::size_t(index + 1)].length;
        m_pieces.erase(m_pieces.begin() + index + 1);
    }
    if (index > 0 && joinable(m_pieces[std::size_t(index - 1)], m_pieces[std::size_t(index)])) {
        m_pieces[std::size_t(index - 1)].length += m_pieces[std::size_t(index)].length;
        m_pieces.erase(m_pieces.begin() + index);
    }
}

void QuickSortTies::swapPositions(int a, int b)
{
    if (a == b)
        return;
    isolate(a);
    const int pieceB = isolate(b);
    const int pieceA = pieceAt(a);
    const int idA = m_pieces[std::size_t(pieceA)].firstId;
    const int idB = m_pieces[std::size_t(pieceB)].firstId;
    m_pieces[std::size_t(pieceA)].firstId = idB;
    m_pieces[std::size_t(pieceB)].firstId = idA;
    for (Member &member : m_members) {
        if (member.id == idA)
            member.position = b;
        else if (member.id == idB)
            member.position = a;
    }
    mergeAround(std::max(pieceA, pieceB));
    mergeAround(pieceAt(std::min(a, b)));
}

// Whether [start, end) holds two members of one group. Members are added
// group by group.
bool QuickSortTies::holdsEqualValues(int start, int end) const
{
    int group = -1;
    int inside = 0;
    for (const Member &member : m_members) {
        if (member.group != group) {
            group = member.group;
            inside = 0;
        }
        if (member.position >= start && member.position < end && ++inside == 2)
            return true;
    }
    return false;
}

// The sort's upward scan "while (low < high && a[low] < pivot) ++low",
// jumping through runs by binary search.
int QuickSortTies::scanUp(int low, int high, double pivot) const
{
    while (low < high) {
        const Piece &piece = m_pieces[std::size_t(pieceAt(low))];
        const int stop = std::min(piece.position + piece.length, high);
        int first = low;
        int last = stop;
        while (first < last) { // first position with !(value < pivot)
            const int middle = first + (last - first) / 2;
            if (valueOf(piece.firstId + middle - piece.position) < pivot)
                first = middle + 1;
            else
                last = middle;
        }
        low = first;
        if (first < stop)
            break;
    }
    return low;
}

// The downward scan "while (high > low && pivot < a[high]) --high".
int QuickSortTies::scanDown(int low, int high, double pivot) const
{
    while (high > low) {
        const Piece &piece = m_pieces[std::size_t(pieceAt(high))];
        const int from = std::max(piece.position, low + 1);
        int first = from;
        int last = high + 1;
        while (first < last) { // first position with pivot < value
            const int middle = first + (last - first) / 2;
            if (pivot < valueOf(piece.firstId + middle - piece.position))
                last = middle;
            else
                first = middle + 1;
        }
        if (first > from)
            return first - 1;
        high = from - 1;
    }
    return high;
}

// The peel: [start, end) is one run of stored ends r0, r1, ... over
// [start, end - 2) followed by two elements a, b below r0. One pass of the
// sort then leaves a and b at start (a first only if a < b), r0 at
// start + 2, and the part [start + 3, end) in the same shape, with r1 and
// r2 at its end. Each pass is replayed here in one step as long as it is
// sure to go that way: at least 6 elements, r(3j) < r(3j+3), and for the
// passes after the first r(3j-1) < r(3j). Returns the positions finished.
int QuickSortTies::peel(int start, int end)
{
    const Piece run = m_pieces[std::size_t(pieceAt(start))];
    if (run.position + run.length != end - 2 || run.firstId + run.length > m_storedEnds)
        return 0;
    const int r0 = run.firstId + (start - run.position);
    const int a = idAt(end - 2);
    const int b = idAt(end - 1);
    auto r = [&](int j) { return valueOf(r0 + j); };
    if (!(valueOf(a) < r(0) && valueOf(b) < r(0)))
        return 0;
    const int span = end - start;
    int passes = 0;
    while (span - 3 * passes >= 6) {
        const int j = passes;
        if (j >= 1 && !(r(3 * j - 1) < r(3 * j)))
            break;
        if (!(r(3 * j) < r(3 * j + 3)))
            break;
        ++passes;
    }
    if (passes == 0)
        return 0;

    // Where the members among the moved elements end up.
    const bool aFirst = valueOf(a) < valueOf(b);
    for (Member &member : m_members) {
        if (member.id == a || member.id == b) {
            member.position = start + ((member.id == a) == aFirst ? 0 : 1);
            continue;
        }
        if (member.position < start || member.position >= end - 2)
            continue;
        const int j = member.position - start; // the run's element r(j)
        if (j >= 3 * passes)
            continue; // not reached
        if (j % 3 == 0) {
            member.position = start + j + 2; // a pivot
            continue;
        }
        const int pass = (j + 2) / 3; // r(3k-2), r(3k-1) are the end pair of pass k
        if (pass == passes) {
            member.position = j % 3 == 1 ? end - 2 : end - 1;
            continue;
        }
        const bool lowerFirst = r(3 * pass - 2) < r(3 * pass - 1);
        member.position = start + 3 * pass + ((j % 3 == 1) == lowerFirst ? 0 : 1);
    }
    // The finished positions are never read again; the end pair is now
    // r(3J-2), r(3J-1).
    isolate(end - 2);
    const int first = isolate(end - 1) - 1;
    m_pieces[std::size_t(first)] = {end - 2, 2, r0 + 3 * passes - 2};
    m_pieces.erase(m_pieces.begin() + first + 1);
    return 3 * passes;
}

// qSortHelper of the toolkit's <QtAlgorithms>, step for step, on the parts
// of the array that hold equal values. False when the budget runs out.
bool QuickSortTies::sort(int start, int end)
{
    for (;;) {
        if (!holdsEqualValues(start, end))
            return true;
        if (--m_partBudget < 0)
            return false;
        if (end - start >= 6) {
            const int finished = peel(start, end);
            if (finished > 0) {
                start += finished;
                continue;
            }
        }
        const int span = end - start;
        if (span < 2)
            return true;
        const int last = end - 1;
        int low = start;
        int high = last - 1;
        const int pivot = start + span / 2;
        if (valueAt(last) < valueAt(start))
            swapPositions(last, start);
        if (span == 2)
            return true;
        if (valueAt(pivot) < valueAt(start))
            swapPositions(pivot, start);
        if (valueAt(last) < valueAt(pivot))
            swapPositions(last, pivot);
        if (span == 3)
            return true;
        swapPositions(pivot, last);
        const double pivotValue = valueAt(last);
        while (low < high) {
            low = scanUp(low, high, pivotValue);
            high = scanDown(low, high, pivotValue);
            if (low < high) {
                swapPositions(low, high);
                ++low;
                --high;
            } else {
                break;
            }
        }
        if (valueAt(low) < pivotValue)
            ++low;
        swapPositions(last, low);
        if (!sort(start, low))
            return false;
        start = low + 1;
    }
}

} // namespace RangeListPrivate
