#include "Ranges/intrange.h"

#include <climits>
#include <utility>

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
    if (isEmpty())
        return values;
    values.reserve(size());
    for (int value = m_lower; value < m_upper; ++value)
        values.append(value);
    return values;
}
