#include "Ranges/myrange.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <utility>

MyRange::MyRange(double a, double b) : m_lower(a), m_upper(b)
{
    normalize();
}

MyRange MyRange::infiniteRange()
{
    return MyRange(-DBL_MAX, DBL_MAX);
}

bool MyRange::isEmpty() const
{
    return m_upper == m_lower;
}

double MyRange::width() const
{
    return std::fabs(m_upper - m_lower);
}

double MyRange::center() const
{
    return (m_upper + m_lower) * 0.5;
}

bool MyRange::contains(double x) const
{
    return std::max(m_lower, std::min(x, m_upper)) == x;
}

void MyRange::normalize()
{
    if (m_lower > m_upper)
        std::swap(m_lower, m_upper);
}
