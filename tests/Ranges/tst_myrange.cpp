// MyRange: ordering constructor, emptiness against containment, the
// infinite range and non-finite values.

#include <Ranges/myrange.h>

#include <QtTest>

#include <cfloat>
#include <cmath>
#include <limits>

class tst_MyRange : public QObject
{
    Q_OBJECT

private slots:
    void constructionOrdersTheBounds();
    void widthCenterAndEmptiness();
    void containmentIsClosed();
    void infiniteRangeHoldsEveryFiniteValue();
    void nonFiniteValues();
};

void tst_MyRange::constructionOrdersTheBounds()
{
    const MyRange swapped(5, 1);
    QCOMPARE(swapped.lower(), 1.0);
    QCOMPARE(swapped.upper(), 5.0);
    const MyRange ordered(-2, 3);
    QCOMPARE(ordered.lower(), -2.0);
    QCOMPARE(ordered.upper(), 3.0);

    const MyRange empty;
    QCOMPARE(empty.lower(), 0.0);
    QCOMPARE(empty.upper(), 0.0);

    MyRange copy = swapped;
    copy.normalize(); // already ordered: nothing to do
    QCOMPARE(copy.lower(), 1.0);
    QCOMPARE(copy.upper(), 5.0);
}

void tst_MyRange::widthCenterAndEmptiness()
{
    const MyRange range(1, 5);
    QCOMPARE(range.width(), 4.0);
    QCOMPARE(range.center(), 3.0);
    QVERIFY(!range.isEmpty());

    const MyRange point(2.5, 2.5);
    QVERIFY(point.isEmpty());
    QCOMPARE(point.width(), 0.0);
    QCOMPARE(point.center(), 2.5);

    QCOMPARE(MyRange::infiniteRange().center(), 0.0);
    QCOMPARE(MyRange::infiniteRange().width(), std::numeric_limits<double>::infinity());
}

void tst_MyRange::containmentIsClosed()
{
    const MyRange range(1, 5);
    QVERIFY(range.contains(1));
    QVERIFY(range.contains(5));
    QVERIFY(range.contains(3.3));
    QVERIFY(!range.contains(0.999999));
    QVERIFY(!range.contains(5.000001));

    // Empty means zero width; the single point still belongs to it.
    const MyRange empty;
    QVERIFY(empty.isEmpty());
    QVERIFY(empty.contains(0));
    QVERIFY(!empty.contains(1e-300));
}

void tst_MyRange::infiniteRangeHoldsEveryFiniteValue()
{
    const MyRange all = MyRange::infiniteRange();
    QCOMPARE(all.lower(), -DBL_MAX);
    QCOMPARE(all.upper(), DBL_MAX);
    QVERIFY(all.contains(1e308));
    QVERIFY(all.contains(-DBL_MAX));
    QVERIFY(all.contains(DBL_MAX));
    QVERIFY(!all.contains(std::numeric_limits<double>::infinity()));
    QVERIFY(!all.contains(-std::numeric_limits<double>::infinity()));
}

void tst_MyRange::nonFiniteValues()
{
    const double nan = std::nan("");
    QVERIFY(!MyRange(1, 5).contains(nan));
    QVERIFY(!MyRange().contains(nan));

    // A NaN bound stays where it was given and makes the range non-empty.
    const MyRange lowNan(nan, 1);
    QVERIFY(std::isnan(lowNan.lower()));
    QCOMPARE(lowNan.upper(), 1.0);
    QVERIFY(!lowNan.isEmpty());
    QVERIFY(!MyRange(nan, nan).isEmpty());

    const double infinity = std::numeric_limits<double>::infinity();
    const MyRange unbounded(infinity, -infinity);
    QCOMPARE(unbounded.lower(), -infinity);
    QCOMPARE(unbounded.upper(), infinity);
    QVERIFY(unbounded.contains(infinity));
    QVERIFY(unbounded.contains(0));
}

QTEST_GUILESS_MAIN(tst_MyRange)
#include "tst_myrange.moc"
