#include "Ranges/intrange.h"

#include <climits>
#include <new>
#include <utility>

namespace {

// A QList<int> keeps each value in a pointer-sized slot, in one block that
// must stay below 2 GiB: about 268 million values.
constexpr int s_largestList = (INT_MAX - 64) / int(sizeof(void *));

} // namespace

IntRange::IntRange(int a, int b) : m_lower(a), m_upper(b)
{
    normalize();
}

int IntRange::size() const
{
    // In 64 bits: IntRange(INT_MIN, INT_MAX) covers more values than an int holds.
    const qint64 size = qint64(m_upper) - qint64(m_lower);
    return size > INT_MAX ? INT_MAX : int(size);
}

void IntRange::normalize()
{
    if (m_upper < m_lower)
        std::swap(m_lower, m_upper);
}

QList<int> IntRange::toList() const
{
    QList<int> values;
    if (isEmpty() || size() > s_largestList)
        return values; // more values than a list can hold: empty, as documented
    try {
        values.reserve(size());
        for (int value = m_lower; value < m_upper; ++value)
            values.append(value);
    } catch (const std::bad_alloc &) {
        return QList<int>(); // out of memory: never an exception out of the library
    }
    return values;
}
