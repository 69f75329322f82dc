#pragma once

// The order in which the toolkit's quicksort (qSort, median of three, not
// stable) leaves equal values, without sorting.
//
// RangeList merges by sorting all range ends and sweeping them, and the
// sweep's result depends on the order that sort leaves equal ends in. The
// ends it sorts are always the same shape: the stored ends, ascending, and
// the two ends of the new range behind them. QuickSortTies replays the sort
// on that array but only where equal values are: a part of the array that
// holds no two equal values comes out in its one sorted order, whatever
// the sort does inside it, so it is skipped. The array itself is never
// built: it is a list of pieces, each a run of consecutive ends or a
// single end, and the sort's scans jump through runs by binary search.
//
// One arrangement makes the sort peel three elements at a time off a large
// part (a sorted run with its two smallest elements at the end, left behind
// by an earlier partition); it is recognised and skipped in one step.
//
//     QuickSortTies ties(ranges, added.lower, added.upper);
//     ties.addMember(id, group);   // every end that has an equal one
//     ties.run();
//     ties.position(member)        // orders the members of a group
//
// Ends are identified by id: 2i and 2i + 1 are the lower and upper end of
// stored range i; 2n and 2n + 1 the lower and upper end of the new range.

#include "Ranges/rangelist.h"

#include <vector>

namespace RangeListPrivate {

/// The stored ends as one ascending sequence: id 2i is range i's lower end,
/// 2i + 1 its upper end.
inline double storedEnd(const QList<Range> &ranges, int id)
{
    const Range &range = ranges.at(id / 2);
    return id % 2 == 0 ? range.lower : range.upper;
}

class QuickSortTies
{
public:
    /// \a ranges must have ascending ends without NaN; \a lower and \a upper
    /// (the new range, no NaN) follow them.
    QuickSortTies(const QList<Range> &ranges, double lower, double upper);

    /// Tracks the end \a id as a member of \a group (ends of one value).
    void addMember(int id, int group);
    /// Replays the sort where a group has two members, visiting at most
    /// \a partBudget parts of the array; false (and no result) beyond it.
    bool run(int partBudget);

    int memberCount() const { return int(m_members.size()); }
    int memberId(int member) const { return m_members[std::size_t(member)].id; }
    /// Ordering key: two members of one group come out of the sort in the
    /// order of their keys.
    int position(int member) const { return m_members[std::size_t(member)].position; }

private:
    struct Piece
    {
        int position; // first array position it covers
        int length;
        int firstId;  // id at that position; ids rise by one along the piece
    };
    struct Member
    {
        int id;
        int position;
        int group;
    };

    double valueOf(int id) const;
    double valueAt(int position) const { return valueOf(idAt(position)); }
    int pieceAt(int position) const;
    int idAt(int position) const;
    int isolate(int position);
    void mergeAround(int piece);
    void swapPositions(int a, int b);
    bool holdsEqualValues(int start, int end) const;
    int scanUp(int low, int high, double pivot) const;
    int scanDown(int low, int high, double pivot) const;
    int peel(int start, int end);
    bool sort(int start, int end);

    const QList<Range> &m_ranges;
    const int m_storedEnds;
    const double m_lower;
    const double m_upper;
    std::vector<Piece> m_pieces;
    std::vector<Member> m_members;
    int m_partBudget = 0;
};

} // namespace RangeListPrivate
