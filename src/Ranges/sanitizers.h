#pragma once

// Sanitizers force a value or a 2-D point into an allowed domain
// (sanitized) and tell whether it already lies there (isValid).
//
//     My1DRangeSanitizer unit(MyRange(0, 1));
//     unit.sanitized(2);        // 1
//     unit.sanitized(NAN);      // 0: NaN goes to the lower bound
//     unit.isValid(1.0000001);  // false
//
//     My2DRangeSanitizer box(MyRange(0, 1), MyRange(0, 2));
//     QString why;
//     box.isValid(QPointF(2, 5), &why);   // false, why == "first value not in range [0, 1]"
//
// The 1-D rule clamps x to the range: upper if x > upper, then lower if the
// value is <= lower or NaN. Infinite values become the finite bounds of
// MyRange::infiniteRange(), the default range.
//
// The virtual operations keep a fixed slot order: for My1DSanitizer the
// destructor, isValid, sanitized; for My2DSanitizer the destructor,
// sanitized, isValid.

#include <basicsdll_export.h>

#include "Ranges/myrange.h"

#include <QPointF>
#include <QString>

/// Forces single values into an allowed domain.
class BASICSDLL_EXPORT My1DSanitizer
{
public:
    virtual ~My1DSanitizer();
    /// x == sanitized(x), compared exactly (a NaN x is invalid).
    virtual bool isValid(double x) const;
    /// x forced into the allowed domain.
    virtual double sanitized(double x) const = 0;
};

/// Clamps values into a MyRange.
class BASICSDLL_EXPORT My1DRangeSanitizer : public My1DSanitizer
{
public:
    /// Allows MyRange::infiniteRange().
    My1DRangeSanitizer();
/// Allows \a range.
    explicit My1DRangeSanitizer(const MyRange &range);

/// The allowed range.
    MyRange range() const { return m_range; }
/// Sets the allowed range.
    void setRange(const MyRange &range) { m_range = range; }

    /// x clamped into the range by the 1-D rule.
    double sanitized(double x) const override;

private:
    MyRange m_range;
};

/// Forces points into an allowed domain.
class BASICSDLL_EXPORT My2DSanitizer
{
public:
    virtual ~My2DSanitizer();
    /// \a point forced into the allowed domain.
    virtual QPointF sanitized(const QPointF &point) const = 0;
    /// True when both coordinates differ from sanitized(point) by at most
    /// 1e-12. Never writes \a message.
    virtual bool isValid(const QPointF &point, QString *message = nullptr) const;
};

/// Clamps points into a rectangle of two MyRange.
class BASICSDLL_EXPORT My2DRangeSanitizer : public My2DSanitizer
{
public:
    /// Allows MyRange::infiniteRange() in both coordinates.
    My2DRangeSanitizer();
/// Allows \a xRange for x and \a yRange for y.
    My2DRangeSanitizer(MyRange xRange, MyRange yRange);

/// The allowed x range.
    MyRange xRange() const { return m_xRange; }
/// Sets the allowed x range.
    void setXRange(const MyRange &range) { m_xRange = range; }
/// The allowed y range.
    MyRange yRange() const { return m_yRange; }
/// Sets the allowed y range.
    void setYRange(const MyRange &range) { m_yRange = range; }

    /// x clamped into xRange and y into yRange, each by the 1-D rule.
    QPointF sanitized(const QPointF &point) const override;
    /// Exact test, x first: an x outside xRange gives false and, if
    /// \a message is not null, "first value not in range [<lower>, <upper>]"
    /// with xRange's bounds; otherwise a y outside yRange gives false and
    /// "second value not in range [...]" with yRange's bounds. A valid point
    /// leaves \a message untouched.
    bool isValid(const QPointF &point, QString *message = nullptr) const override;

private:
    MyRange m_xRange;
    MyRange m_yRange;
};
