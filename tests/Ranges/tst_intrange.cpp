// IntRange: a run of ints with an exclusive upper bound.

#include <Ranges/intrange.h>

#include "testsupport/memorylimit.h"

#include <QtTest>

#include <climits>

class tst_IntRange : public QObject
{
    Q_OBJECT

private slots:
    void runWithExclusiveUpperBound();
    void emptyRuns();
    void extremeBounds();
    void listsTooLargeAreEmpty();
};

void tst_IntRange::runWithExclusiveUpperBound()
{
    const IntRange range(7, 3);
    QCOMPARE(range.lower(), 3);
    QCOMPARE(range.upper(), 7);
    QCOMPARE(range.size(), 4);
    QVERIFY(!range.isEmpty());
    QVERIFY(range.contains(3));
    QVERIFY(range.contains(6));
    QVERIFY(!range.contains(7));
    QVERIFY(!range.contains(2));
    QCOMPARE(range.toList(), (QList<int>{3, 4, 5, 6}));
    QCOMPARE(IntRange(-2, 1).toList(), (QList<int>{-2, -1, 0}));

    IntRange copy = range;
    copy.normalize();
    QCOMPARE(copy.lower(), 3);
    QCOMPARE(copy.upper(), 7);
}

void tst_IntRange::emptyRuns()
{
    const IntRange none;
    QCOMPARE(none.lower(), 0);
    QCOMPARE(none.upper(), 0);
    QCOMPARE(none.size(), 0);
    QVERIFY(none.isEmpty());
    QVERIFY(!none.contains(0));
    QVERIFY(none.toList().isEmpty());

    const IntRange single(4, 4);
    QVERIFY(single.isEmpty());
    QVERIFY(!single.contains(4));
    QCOMPARE(IntRange(4, 5).toList(), QList<int>{4});
}

void tst_IntRange::extremeBounds()
{
    const IntRange top(INT_MAX - 2, INT_MAX);
    QCOMPARE(top.size(), 2);
    QCOMPARE(top.toList(), (QList<int>{INT_MAX - 2, INT_MAX - 1}));
    QVERIFY(!top.contains(INT_MAX));

    const IntRange bottom(INT_MIN, INT_MIN + 2);
    QCOMPARE(bottom.toList(), (QList<int>{INT_MIN, INT_MIN + 1}));

    // More values than an int can count: the size saturates.
    const IntRange all(INT_MAX, INT_MIN);
    QCOMPARE(all.lower(), INT_MIN);
    QCOMPARE(all.size(), INT_MAX);
    QVERIFY(all.contains(0));
    QVERIFY(!all.contains(INT_MAX));
}

void tst_IntRange::listsTooLargeAreEmpty()
{
    // Hundreds of millions of values: more than a QList<int> holds. This
    // ended the process with an uncaught std::bad_alloc.
    QVERIFY(IntRange(0, 300000000).toList().isEmpty());
    QVERIFY(IntRange(INT_MIN, INT_MAX).toList().isEmpty());

    // 100 million values (800 MB) with 256 MB to spare: empty, no exception;
    // a million values still fit.
    if (!MemoryLimit::supported())
        QSKIP("a sanitizer build cannot run under an address-space limit");
    QCOMPARE(MemoryLimit::run(256 << 20, [] {
                 const QList<int> many = IntRange(0, 1000000).toList();
                 return many.size() == 1000000 && many.last() == 999999
                        && IntRange(-50000000, 50000000).toList().isEmpty();
             }),
             MemoryLimit::Passed);
}

QTEST_GUILESS_MAIN(tst_IntRange)
#include "tst_intrange.moc"
