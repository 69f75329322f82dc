#pragma once

// The random draws behind Basics::lotto and Basics::lotto1, with the
// generator as a parameter: the library seeds a fresh std::mt19937 from
// std::random_device per call, tests pass generators with fixed seeds.

#include <QList>
#include <QSet>
#include <QtGlobal>

#include <algorithm>
#include <limits>
#include <new>
#include <vector>

namespace Draws {

/// The most values one draw gives: a QList<int> keeps its values in one
/// block of pointer-sized slots, and the toolkit's blocks stay below 2 GiB
/// (268 435 447 values on 64-bit systems). A set of as many takes more than
/// 10 GB. Larger draws return 0 at once, before anything is allocated.
constexpr int MaxDrawCount = (std::numeric_limits<int>::max() - 64) / int(sizeof(void *));

/// A uniform integer of [0, m] from a generator of 32-bit outputs: the
/// downscaling method with rejection. scaling = (2^32 - 1) / (m + 1);
/// outputs at or above (m + 1) * scaling are drawn again; the result is
/// output / scaling. Written out here because the standard distribution's
/// method differs between library versions, and draws must not.
template <class Generator>
quint32 drawUpTo(Generator &generator, quint32 m)
{
    if (m == 0xFFFFFFFFu)
        return quint32(generator());
    const quint32 buckets = m + 1;
    const quint32 scaling = 0xFFFFFFFFu / buckets;
    const quint32 past = buckets * scaling;
    quint32 output;
    do {
        output = quint32(generator());
    } while (output >= past);
    return output / scaling;
}

/// The values of [0, range) not taken yet, in ascending order, as a pool list
/// of all of them would hold them; takeAt(i) removes and returns the i-th.
/// Memory grows with the number of values expected to be taken, not with the
/// range, and each take costs O(log n) plus a short scan.
///
/// The range is cut into buckets of equal width. A Fenwick tree over the
/// buckets counts the free values in each, so the bucket holding the i-th
/// free value is found by binary lifting. Within a bucket of width > 1 the
/// taken values are kept sorted; a dense draw (range at most 16 times the
/// number taken) uses buckets of width 1, which need no such list.
class RemainingValues
{
public:
    RemainingValues(int range, int expectedTakes)
    {
        const qint64 takes = qMax(1, expectedTakes);
        qint64 buckets = range;
        if (range > 16 * takes) {
            buckets = 1;
            while (buckets < takes)
                buckets *= 2;
        }
        m_width = (range + buckets - 1) / buckets;
        m_range = range;
        // Indices are 64-bit: with up to 2^31 - 1 buckets, index + lowest bit
        // would overflow an int.
        const qint64 count = (range + m_width - 1) / m_width;
        m_tree.assign(std::size_t(count) + 1, 0);
        for (qint64 b = 1; b <= count; ++b) {
            m_tree[std::size_t(b)] += bucketSize(b - 1);
            const qint64 parent = b + (b & -b);
            if (parent <= count)
                m_tree[std::size_t(parent)] += m_tree[std::size_t(b)];
        }
        m_topStep = 1;
        while (m_topStep * 2 <= count)
            m_topStep *= 2;
        if (m_width > 1)
            m_taken.resize(std::size_t(count));
    }

    /// Removes and returns the \a index-th free value (0-based); \a index
    /// must be below the number of free values.
    int takeAt(int index)
    {
        // Binary lifting: the last bucket whose free values before it are at
        // most index, and the offset among that bucket's free values.
        const qint64 count = qint64(m_tree.size()) - 1;
        qint64 bucket = 0;
        int offset = index;
        for (qint64 step = m_topStep; step > 0; step /= 2) {
            const qint64 next = bucket + step;
            if (next <= count && m_tree[std::size_t(next)] <= offset) {
                bucket = next;
                offset -= m_tree[std::size_t(next)];
            }
        }
        for (qint64 b = bucket + 1; b <= count; b += b & -b)
            --m_tree[std::size_t(b)];

        qint64 value = bucket * m_width + offset;
        if (m_width > 1) {
            // Step over the taken values at or below the candidate.
            std::vector<int> &taken = m_taken[std::size_t(bucket)];
            auto it = taken.begin();
            for (; it != taken.end() && *it <= value; ++it)
                ++value;
            taken.insert(it, int(value));
        }
        return int(value);
    }

private:
    int bucketSize(qint64 bucket) const
    {
        const qint64 start = bucket * m_width;
        return int(qMin<qint64>(m_width, m_range - start));
    }

    qint64 m_width = 1;
    qint64 m_range = 0;
    qint64 m_topStep = 1;
    std::vector<int> m_tree;               // Fenwick tree, 1-based, free values per bucket
    std::vector<std::vector<int>> m_taken; // per bucket, sorted; only for width > 1
};

/// How many values a draw of \a count out of \a range yields: 0 when range < 2,
/// count < 1 or more than MaxDrawCount values would be needed.
inline int drawCount(int count, int range)
{
    if (range < 2 || count < 1)
        return 0;
    const int n = qMin(count, range);
    return n > MaxDrawCount ? 0 : n;
}

/// lotto: min(count, range) distinct values of [0, range) as a set; values
/// already drawn are drawn again.
/// Like drawInOrder(), 0 and an empty set for more than MaxDrawCount values
/// or when the memory cannot be had.
template <class Generator>
int drawSet(int count, int range, QSet<int> &result, Generator &generator)
{
    result.clear();
    const int n = drawCount(count, range);
    if (n == 0)
        return 0;
    try {
        result.reserve(n);
        while (result.size() < n)
            result.insert(int(drawUpTo(generator, quint32(range - 1))));
    } catch (const std::bad_alloc &) {
        result.clear();
        result.squeeze();
        return 0;
    }
    return n;
}

/// lotto1: min(count, range) distinct values of [0, range) in drawing order.
/// Each step draws an index into the values not drawn yet, in ascending
/// order, and takes the value there: the draws of a pool list from which the
/// drawn values are removed, with memory for the drawn values only.
/// Nothing is thrown: more than MaxDrawCount values, or memory that cannot
/// be had, give 0 and an empty list.
template <class Generator>
int drawInOrder(int count, int range, QList<int> &result, Generator &generator)
{
    result.clear();
    const int n = drawCount(count, range);
    if (n == 0)
        return 0;
    try {
        result.reserve(n);
        RemainingValues remaining(range, n);
        for (int k = 0; k < n; ++k)
            result.append(remaining.takeAt(int(drawUpTo(generator, quint32(range - 1 - k)))));
    } catch (const std::bad_alloc &) {
        result = QList<int>(); // gives the reserved block back
        return 0;
    }
    return n;
}

} // namespace Draws
