// RangeList: the merge results listed for ordinary, touching, zero-width
// and inverted ranges, value semantics, includes, and a differential test of
// addRange (with its in-place merge) against the plain sort-and-sweep over
// random sequences.

#include <Ranges/rangelist.h>

#include <QtTest>

#include <cmath>
#include <limits>
#include <random>

namespace {

// "1 5; 3 9" -> [1, 5], [3, 9]
QList<Range> parseRanges(const QString &text)
{
    QList<Range> ranges;
    for (const QString &pair : text.split(';', Qt::SkipEmptyParts)) {
        const QStringList values = pair.split(' ', Qt::SkipEmptyParts);
        ranges.append(Range{values.value(0).toDouble(), values.value(1).toDouble()});
    }
    return ranges;
}

QString formatRanges(const QList<Range> &ranges)
{
    QStringList pairs;
    for (const Range &range : ranges)
        pairs << QString("%1 %2").arg(range.lower).arg(range.upper);
    return pairs.join("; ");
}

RangeList listFrom(const QString &additions)
{
    RangeList list;
    for (const Range &range : parseRanges(additions))
        list.addRange(range);
    return list;
}

// The plain merge, step by step: all ends of the stored ranges and the new
// one, sorted by value with the toolkit's quicksort, swept with a depth
// counter.
struct End
{
    double value;
    bool opening;
    bool operator<(const End &other) const { return value < other.value; }
};

QList<Range> sweepAdd(const QList<Range> &stored, const Range &added)
{
    if (stored.isEmpty())
        return {added};
    QVector<End> ends;
    for (const Range &range : stored)
        ends << End{range.lower, true} << End{range.upper, false};
    ends << End{added.lower, true} << End{added.upper, false};
    qSort(ends.begin(), ends.end());

    QVector<double> selected;
    int depth = 0;
    for (const End &end : ends) {
        if (end.opening) {
            if (depth == 0)
                selected << end.value;
            ++depth;
        } else {
            if (depth == 1)
                selected << end.value;
            --depth;
        }
    }
    QList<Range> merged;
    for (int i = 0; i + 1 < selected.size(); i += 2) {
        const double a = selected[i];
        const double b = selected[i + 1];
        merged << (b < a ? Range{b, a} : Range{a, b});
    }
    return merged;
}

bool sweepIncludes(const QList<Range> &ranges, double x)
{
    for (const Range &range : ranges) {
        if (range.upper - range.lower != 0 && range.lower <= x && x <= range.upper)
            return true;
    }
    return false;
}

bool sameValue(double a, double b)
{
    return a == b || (std::isnan(a) && std::isnan(b));
}

bool sameRanges(const QList<Range> &a, const QList<Range> &b)
{
    if (a.size() != b.size())
        return false;
    for (int i = 0; i < a.size(); ++i) {
        if (!sameValue(a[i].lower, b[i].lower) || !sameValue(a[i].upper, b[i].upper))
            return false;
    }
    return true;
}

// Whether an addition may take the in-place merge: all stored ends
// distinct and ascending, the new range ordered and touching none of them.
bool mayMergeInPlace(const QList<Range> &stored, const Range &added)
{
    if (stored.isEmpty() || !(added.lower < added.upper))
        return false;
    for (int i = 0; i < stored.size(); ++i) {
        if (!(stored[i].lower < stored[i].upper))
            return false;
        if (i + 1 < stored.size() && !(stored[i].upper < stored[i + 1].lower))
            return false;
        for (double end : {stored[i].lower, stored[i].upper}) {
            if (end == added.lower || end == added.upper)
                return false;
        }
    }
    return true;
}

// Portable draws: the raw engine output is fixed by the standard.
class Draw
{
public:
    explicit Draw(unsigned seed) : m_engine(seed) {}
    int below(int bound) { return int(m_engine() % unsigned(bound)); }
    bool chance(int percent) { return below(100) < percent; }

private:
    std::mt19937 m_engine;
};

} // namespace

class tst_RangeList : public QObject
{
    Q_OBJECT

private slots:
    void mergeResults_data();
    void mergeResults();
    void includes();
    void valueSemantics();
    void nonFiniteBounds();

    void matchesThePlainSweep_data();
    void matchesThePlainSweep();
};

void tst_RangeList::mergeResults_data()
{
    QTest::addColumn<QString>("additions");
    QTest::addColumn<QString>("result");

    QTest::newRow("overlap") << "1 5; 3 9" << "1 9";
    QTest::newRow("overlap, reversed") << "3 9; 1 5" << "1 9";
    QTest::newRow("apart") << "1 5; 6 9" << "1 5; 6 9";
    QTest::newRow("apart, reversed") << "6 9; 1 5" << "1 5; 6 9";
    QTest::newRow("inside") << "1 5; 2 3" << "1 5";
    QTest::newRow("bridge") << "1 5; 6 9; 4 7" << "1 9";
    QTest::newRow("cover") << "1 2; 3 4; 5 6; 0 10" << "0 10";

    QTest::newRow("touching, ascending") << "1 5; 5 9" << "1 9";
    QTest::newRow("touching, descending") << "5 9; 1 5" << "1 5; 5 9";
    QTest::newRow("touching chain") << "0 1; 1 2; 2 3" << "0 3";

    QTest::newRow("zero width inside") << "0 10; 5 5" << "0 5; 5 10";
    QTest::newRow("zero width at the end") << "0 10; 10 10" << "0 10; 10 10";
    QTest::newRow("zero width alone") << "3 3" << "3 3";

    QTest::newRow("inverted into empty") << "5 1" << "5 1";
    QTest::newRow("inverted inside cuts") << "1 5; 4 2" << "1 2; 4 5";
    QTest::newRow("inverted outside") << "1 5; 9 6" << "1 5";
}

void tst_RangeList::mergeResults()
{
    QFETCH(QString, additions);
    QFETCH(QString, result);
    QCOMPARE(formatRanges(listFrom(additions).ranges()), result);
}

void tst_RangeList::includes()
{
    const RangeList list = listFrom("1 5; 7 9");
    QVERIFY(list.includes(1));
    QVERIFY(list.includes(5));
    QVERIFY(list.includes(8));
    QVERIFY(!list.includes(6));
    QVERIFY(!list.includes(0.999));
    QVERIFY(!list.includes(9.001));
    QVERIFY(!list.includes(std::nan("")));

    // Zero-width ranges include nothing, not even their own point.
    QVERIFY(!listFrom("3 3").includes(3));
    const RangeList withPoint = listFrom("0 10; 10 10");
    QVERIFY(withPoint.includes(10));
    QVERIFY(!withPoint.includes(10.5));

    // Inverted ranges include nothing.
    QVERIFY(!listFrom("5 1").includes(3));
    QVERIFY(!RangeList().includes(0));
}

void tst_RangeList::valueSemantics()
{
    RangeList list = listFrom("1 5; 7 9");
    RangeList copy(list);
    QVERIFY(copy == list);
    copy.addRange(Range{20, 30});
    QVERIFY(copy != list);
    QCOMPARE(formatRanges(list.ranges()), QString("1 5; 7 9"));
    QCOMPARE(formatRanges(copy.ranges()), QString("1 5; 7 9; 20 30"));

    RangeList assigned;
    assigned = copy;
    QVERIFY(assigned == copy);
    RangeList &self = assigned;
    assigned = self;
    QCOMPARE(formatRanges(assigned.ranges()), QString("1 5; 7 9; 20 30"));

    // Equality compares bound by bound, in order.
    QVERIFY(listFrom("1 5; 7 9") == listFrom("7 9; 1 5"));
    QVERIFY(!(listFrom("1 5") == listFrom("1 5; 7 9")));
    QVERIFY(listFrom("1 5") != listFrom("1 6"));

    // A stored range handed back to addRange.
    list.addRange(list.ranges().at(1));
    QCOMPARE(formatRanges(list.ranges()), QString("1 5; 7 9"));

    list.clear();
    QVERIFY(list.ranges().isEmpty());
    QVERIFY(list == RangeList());
    list.addRange(Range{4, 2});
    QCOMPARE(formatRanges(list.ranges()), QString("4 2"));
}

void tst_RangeList::nonFiniteBounds()
{
    const double infinity = std::numeric_limits<double>::infinity();
    const double nan = std::nan("");
    RangeList list = listFrom("1 5; 7 9");
    list.addRange(Range{-infinity, 0});
    QCOMPARE(formatRanges(list.ranges()), QString("-inf 0; 1 5; 7 9"));
    list.addRange(Range{8, infinity});
    QCOMPARE(formatRanges(list.ranges()), QString("-inf 0; 1 5; 7 inf"));
    QVERIFY(list.includes(infinity));
    QVERIFY(list.includes(-1e308));

    // NaN bounds sort nowhere in particular; the list stays usable.
    list.addRange(Range{nan, 3});
    list.addRange(Range{2, nan});
    list.addRange(Range{10, 11});
    QVERIFY(!list.includes(nan));
    list.clear();
    list.addRange(Range{nan, nan});
    QVERIFY(!list.includes(nan));
    QVERIFY(!list.includes(0));
}

void tst_RangeList::matchesThePlainSweep_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("sequences");
    QTest::addColumn<int>("additions");
    QTest::newRow("small grid: touching, zero-width, inverted") << 0 << 3000 << 30;
    QTest::newRow("long lists, occasional ties") << 1 << 12 << 600;
    QTest::newRow("with NaN and infinities") << 2 << 1000 << 20;
    // Ends on an integer grid, as pixel and line ranges have: lists of a few
    // hundred ranges where many ends are shared.
    QTest::newRow("integer grid, long lists") << 3 << 24 << 500;
    QTest::newRow("stored ranges and ends added again") << 4 << 300 << 60;
    QTest::newRow("many equal ends on a coarse grid") << 5 << 150 << 150;
}

void tst_RangeList::matchesThePlainSweep()
{
    QFETCH(int, kind);
    QFETCH(int, sequences);
    QFETCH(int, additions);
    const double infinity = std::numeric_limits<double>::infinity();
    const double nan = std::nan("");

    int inPlaceCandidates = 0;
    int total = 0;
    for (int sequence = 0; sequence < sequences; ++sequence) {
        Draw draw(unsigned(1000 * kind + sequence));
        RangeList list;
        QList<Range> expected;
        for (int step = 0; step < additions; ++step) {
            Range range{0, 0};
            if (kind == 3) {
                range.lower = draw.below(3000);
                range.upper = range.lower + 1 + draw.below(30);
                if (draw.chance(5))
                    range.upper = range.lower;
            } else if (kind == 4 && !expected.isEmpty() && draw.chance(60)) {
                // Duplicates: a stored range again, or a range between, or
                // at, stored ends.
                const Range &one = expected.at(draw.below(expected.size()));
                const Range &other = expected.at(draw.below(expected.size()));
                const double ends[] = {one.lower, one.upper, other.lower, other.upper};
                range = draw.chance(40) ? one : Range{ends[draw.below(4)], ends[draw.below(4)]};
            } else if (kind == 4) {
                range.lower = draw.below(200);
                range.upper = range.lower + draw.below(8);
            } else if (kind == 5) {
                range.lower = draw.below(40);
                range.upper = range.lower + draw.below(3);
            } else if (kind == 1) {
                // Mostly fresh ends on a fine grid, now and then a stored end.
                range.lower = draw.below(80000) / 8.0;
                range.upper = range.lower + 1 + draw.below(80) / 8.0;
                if (!expected.isEmpty() && draw.chance(3)) {
                    const Range &other = expected.at(draw.below(expected.size()));
                    range.upper = draw.chance(50) ? other.lower : other.upper;
                }
            } else {
                range.lower = draw.below(13);
                range.upper = draw.chance(15) ? range.lower : range.lower + draw.below(6);
                if (kind == 2) {
                    const double nonFinite[] = {nan, infinity, -infinity};
                    if (draw.chance(8))
                        range.lower = nonFinite[draw.below(3)];
                    if (draw.chance(8))
                        range.upper = nonFinite[draw.below(3)];
                }
            }
            if (draw.chance(15))
                std::swap(range.lower, range.upper);

            inPlaceCandidates += mayMergeInPlace(expected, range) ? 1 : 0;
            ++total;
            expected = sweepAdd(expected, range);
            list.addRange(range);
            if (!sameRanges(list.ranges(), expected)) {
                QFAIL(qPrintable(QString("sequence %1, step %2: adding %3 gave\n  %4\nexpected\n  %5")
                                     .arg(sequence)
                                     .arg(step)
                                     .arg(formatRanges({range}))
                                     .arg(formatRanges(list.ranges()))
                                     .arg(formatRanges(expected))));
            }
            const double probes[] = {range.lower, range.upper, range.lower + 0.5,
                                     double(draw.below(14)), nan};
            for (double x : probes)
                QCOMPARE(list.includes(x), sweepIncludes(expected, x));
        }
    }
    qInfo("%d additions, %d of them eligible for the in-place merge", total, inPlaceCandidates);
    QVERIFY(inPlaceCandidates > 0);
    QVERIFY(inPlaceCandidates < total);
}

QTEST_GUILESS_MAIN(tst_RangeList)
#include "tst_rangelist.moc"
