#include "Ranges/sanitizers.h"

#include <cmath>

namespace {

constexpr double kPointTolerance = 1e-12;

double clamped(double x, const MyRange &range)
{
    const double t = x > range.upper() ? range.upper() : x;
    return (t <= range.lower() || std::isnan(t)) ? range.lower() : t;
}

// Exact comparison; a NaN never equals its clamped value.
bool clampChanges(double x, const MyRange &range)
{
    return !(clamped(x, range) == x);
}

// \a text holds %1 and %2 for the bounds, each as QString::arg(double) writes it.
QString outOfRangeMessage(const char *text, const MyRange &range)
{
    return QString::fromLatin1(text).arg(range.lower()).arg(range.upper());
}

} // namespace

My1DSanitizer::~My1DSanitizer() = default;

bool My1DSanitizer::isValid(double x) const
{
    return x == sanitized(x);
}

My1DRangeSanitizer::My1DRangeSanitizer() : m_range(MyRange::infiniteRange()) {}

My1DRangeSanitizer::My1DRangeSanitizer(const MyRange &range) : m_range(range) {}

double My1DRangeSanitizer::sanitized(double x) const
{
    return clamped(x, m_range);
}

My2DSanitizer::~My2DSanitizer() = default;

bool My2DSanitizer::isValid(const QPointF &point, QString *) const
{
    const QPointF s = sanitized(point);
    return std::fabs(point.x() - s.x()) <= kPointTolerance
           && std::fabs(point.y() - s.y()) <= kPointTolerance;
}

My2DRangeSanitizer::My2DRangeSanitizer()
    : m_xRange(MyRange::infiniteRange()), m_yRange(MyRange::infiniteRange())
{
}

My2DRangeSanitizer::My2DRangeSanitizer(MyRange xRange, MyRange yRange)
    : m_xRange(xRange), m_yRange(yRange)
{
}

QPointF My2DRangeSanitizer::sanitized(const QPointF &point) const
{
    return QPointF(clamped(point.x(), m_xRange), clamped(point.y(), m_yRange));
}

bool My2DRangeSanitizer::isValid(const QPointF &point, QString *message) const
{
    if (clampChanges(point.x(), m_xRange)) {
        if (message)
            *message = outOfRangeMessage("first value not in range [%1, %2]", m_xRange);
        return false;
    }
    if (clampChanges(point.y(), m_yRange)) {
        if (message)
            *message = outOfRangeMessage("second value not in range [%1, %2]", m_yRange);
        return false;
    }
    return true;
}
