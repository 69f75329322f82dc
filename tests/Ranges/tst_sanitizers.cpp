// Sanitizers: clamping by the 1-D rule, validity with and without the
// 1e-12 tolerance, the messages of the 2-D range sanitizer, overriding
// through the abstract bases and their virtual slot order.

#include <Ranges/sanitizers.h>

#include <QtTest>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace {

const double kNan = std::nan("");
const double kInfinity = std::numeric_limits<double>::infinity();

// Moves every point by a fixed offset: valid within the base tolerance.
class ShiftingSanitizer : public My2DSanitizer
{
public:
    explicit ShiftingSanitizer(double shift) : m_shift(shift) {}
    QPointF sanitized(const QPointF &point) const override
    {
        return point + QPointF(m_shift, m_shift);
    }

private:
    double m_shift;
};

// Rounds to whole numbers; inherits the exact 1-D validity test.
class RoundingSanitizer : public My1DSanitizer
{
public:
    double sanitized(double x) const override { return std::round(x); }
};

#if defined(__GNUC__)
// Byte offset of a virtual function in the vtable (Itanium C++ ABI: a
// pointer to a virtual member holds 1 + that offset).
template <typename Member>
std::ptrdiff_t vtableOffset(Member member)
{
    struct Raw
    {
        std::uintptr_t pointer;
        std::ptrdiff_t adjustment;
    } raw;
    static_assert(sizeof(Member) == sizeof(Raw), "unexpected member pointer layout");
    std::memcpy(&raw, &member, sizeof raw);
    return std::ptrdiff_t(raw.pointer) - 1;
}
#endif

} // namespace

class tst_Sanitizers : public QObject
{
    Q_OBJECT

private slots:
    void oneDimensionalClamping();
    void oneDimensionalValidityIsExact();
    void defaultRangesAreInfinite();
    void twoDimensionalMessages();
    void twoDimensionalRangeTestHasNoTolerance();
    void baseTwoDimensionalToleranceIs1e12();
    void overridesThroughTheBases();
    void virtualSlotOrder();
};

void tst_Sanitizers::oneDimensionalClamping()
{
    const My1DRangeSanitizer unit(MyRange(0, 1));
    QCOMPARE(unit.sanitized(2), 1.0);
    QCOMPARE(unit.sanitized(-1), 0.0);
    QCOMPARE(unit.sanitized(0.25), 0.25);
    QCOMPARE(unit.sanitized(kNan), 0.0);
    QCOMPARE(unit.sanitized(kInfinity), 1.0);
    QCOMPARE(unit.sanitized(-kInfinity), 0.0);

    My1DRangeSanitizer moved;
    moved.setRange(MyRange(3, -3));
    QCOMPARE(moved.range().lower(), -3.0);
    QCOMPARE(moved.range().upper(), 3.0);
    QCOMPARE(moved.sanitized(4), 3.0);
}

void tst_Sanitizers::oneDimensionalValidityIsExact()
{
    const My1DRangeSanitizer unit(MyRange(0, 1));
    QVERIFY(unit.isValid(1));
    QVERIFY(unit.isValid(0));
    QVERIFY(!unit.isValid(1.0000001));
    QVERIFY(!unit.isValid(-1e-300));
    QVERIFY(!unit.isValid(kNan));
}

void tst_Sanitizers::defaultRangesAreInfinite()
{
    const My1DRangeSanitizer any;
    QCOMPARE(any.range().lower(), -DBL_MAX);
    QCOMPARE(any.range().upper(), DBL_MAX);
    QVERIFY(any.isValid(1e308));
    QCOMPARE(any.sanitized(kInfinity), DBL_MAX);
    QCOMPARE(any.sanitized(-kInfinity), -DBL_MAX);
    QVERIFY(!any.isValid(kInfinity));

    const My2DRangeSanitizer plane;
    QCOMPARE(plane.xRange().upper(), DBL_MAX);
    QCOMPARE(plane.yRange().lower(), -DBL_MAX);
    QCOMPARE(plane.sanitized(QPointF(kInfinity, kNan)), QPointF(DBL_MAX, -DBL_MAX));
    QString message;
    QVERIFY(!plane.isValid(QPointF(kInfinity, 0), &message));
    QCOMPARE(message, QString("first value not in range [-1.79769e+308, 1.79769e+308]"));
}

void tst_Sanitizers::twoDimensionalMessages()
{
    const My2DRangeSanitizer box(MyRange(0, 1), MyRange(0, 2));
    QString message = "untouched";

    QVERIFY(!box.isValid(QPointF(2, 5), &message));
    QCOMPARE(message, QString("first value not in range [0, 1]"));

    QVERIFY(!box.isValid(QPointF(0.5, 5), &message));
    QCOMPARE(message, QString("second value not in range [0, 2]"));

    message = "untouched";
    QVERIFY(box.isValid(QPointF(0.5, 1), &message));
    QCOMPARE(message, QString("untouched"));

    QVERIFY(!box.isValid(QPointF(0.5, 5)));
    QVERIFY(!box.isValid(QPointF(0.5, 5), nullptr));
    QVERIFY(box.isValid(QPointF(1, 2), nullptr));

    QVERIFY(!box.isValid(QPointF(kNan, 1), &message));
    QCOMPARE(message, QString("first value not in range [0, 1]"));

    // The bounds as QString::arg(double) writes them.
    My2DRangeSanitizer fine;
    fine.setXRange(MyRange(-0.125, 1234567.5));
    fine.setYRange(MyRange(1e-7, 2.5e10));
    QVERIFY(!fine.isValid(QPointF(-1, 0), &message));
    QCOMPARE(message, QString("first value not in range [-0.125, 1.23457e+06]"));
    QVERIFY(!fine.isValid(QPointF(0, 0), &message));
    QCOMPARE(message, QString("second value not in range [1e-07, 2.5e+10]"));
    QCOMPARE(fine.sanitized(QPointF(-1, 3e10)), QPointF(-0.125, 2.5e10));
}

void tst_Sanitizers::twoDimensionalRangeTestHasNoTolerance()
{
    const My2DRangeSanitizer box(MyRange(0, 1), MyRange(0, 1));
    QVERIFY(!box.isValid(QPointF(1.0 + 1e-15, 0.5)));
    // The base rule would have accepted it.
    QVERIFY(box.My2DSanitizer::isValid(QPointF(1.0 + 1e-15, 0.5)));
}

void tst_Sanitizers::baseTwoDimensionalToleranceIs1e12()
{
    QString message = "untouched";
    QVERIFY(ShiftingSanitizer(1e-12).isValid(QPointF(0, 0), &message));
    QVERIFY(!ShiftingSanitizer(1.1e-12).isValid(QPointF(0, 0), &message));
    QCOMPARE(message, QString("untouched"));
    QVERIFY(!ShiftingSanitizer(kNan).isValid(QPointF(0, 0)));
}

void tst_Sanitizers::overridesThroughTheBases()
{
    const RoundingSanitizer rounding;
    const My1DSanitizer &one = rounding;
    QVERIFY(one.isValid(3));
    QVERIFY(!one.isValid(3.5));
    QCOMPARE(one.sanitized(3.4), 3.0);

    const My1DRangeSanitizer unit(MyRange(0, 1));
    const My1DSanitizer &asBase = unit;
    QCOMPARE(asBase.sanitized(7), 1.0);

    const My2DRangeSanitizer box(MyRange(0, 1), MyRange(0, 2));
    const My2DSanitizer &two = box;
    QString message;
    QVERIFY(!two.isValid(QPointF(0.5, 3), &message));
    QCOMPARE(message, QString("second value not in range [0, 2]"));
    QCOMPARE(two.sanitized(QPointF(-1, 3)), QPointF(0, 2));

    My1DSanitizer *owned = new My1DRangeSanitizer(MyRange(0, 1));
    delete owned; // through the virtual destructor
    My2DSanitizer *ownedBox = new My2DRangeSanitizer;
    delete ownedBox;
}

void tst_Sanitizers::virtualSlotOrder()
{
#if defined(__GNUC__)
    // The destructor comes first (two entries in this ABI); then the 1-D
    // base declares isValid before sanitized and the 2-D base the reverse.
    const std::ptrdiff_t slot = std::ptrdiff_t(sizeof(void *));
    QCOMPARE(vtableOffset(&My1DSanitizer::isValid), 2 * slot);
    QCOMPARE(vtableOffset(&My1DSanitizer::sanitized), 3 * slot);
    QCOMPARE(vtableOffset(&My2DSanitizer::sanitized), 2 * slot);
    QCOMPARE(vtableOffset(&My2DSanitizer::isValid), 3 * slot);
    QCOMPARE(vtableOffset(&My1DRangeSanitizer::sanitized), 3 * slot);
    QCOMPARE(vtableOffset(&My2DRangeSanitizer::isValid), 3 * slot);
#else
    QSKIP("vtable layout is checked with the Itanium C++ ABI only");
#endif
}

QTEST_GUILESS_MAIN(tst_Sanitizers)
#include "tst_sanitizers.moc"
