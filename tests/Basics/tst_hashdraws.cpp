// The text hash and the random draws. The draws are checked through their
// generator seam: lotto1 must give exactly the draws of a pool list from
// which drawn values are removed, for the same generator outputs, while its
// memory follows the count and not the range.

#include <Basics/basics.h>

#include "Basics/draws_p.h"

#include <QtTest>

#include <deque>
#include <limits>
#include <new>
#include <numeric>
#include <random>
#include <vector>

namespace {

// Hands out fixed 32-bit outputs.
struct ScriptedGenerator
{
    std::deque<quint32> outputs;
    int drawn = 0;
    quint32 operator()()
    {
        ++drawn;
        const quint32 output = outputs.front();
        outputs.pop_front();
        return output;
    }
};

// The plain algorithm: a pool of every value, drawn values removed.
template <class Generator>
QList<int> poolDraws(int count, int range, Generator &generator)
{
    QList<int> result;
    if (range < 2 || count < 1)
        return result;
    std::vector<int> pool(std::size_t(range), 0);
    std::iota(pool.begin(), pool.end(), 0);
    const int n = qMin(count, range);
    for (int k = 0; k < n; ++k) {
        const quint32 index = Draws::drawUpTo(generator, quint32(pool.size() - 1));
        result.append(pool[index]);
        pool.erase(pool.begin() + index);
    }
    return result;
}

bool distinctAndInRange(const QList<int> &values, int range)
{
    QSet<int> seen;
    for (int value : values) {
        if (value < 0 || value >= range || seen.contains(value))
            return false;
        seen.insert(value);
    }
    return true;
}

} // namespace

class tst_HashDraws : public QObject
{
    Q_OBJECT

private slots:
    void hashIsTheLittleEndianStartOfSha1_data();
    void hashIsTheLittleEndianStartOfSha1();
    void uniformIntegersByDownscaling();
    void lottoRules();
    void lotto1Rules();
    void lotto1DrawsAsThePoolDoes_data();
    void lotto1DrawsAsThePoolDoes();
    void lotto1OverTheWholeIntRange();
    void hugeCountsAndMissingMemoryGiveZero();
};

void tst_HashDraws::hashIsTheLittleEndianStartOfSha1_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<quint64>("hash");
    // Digest bytes da 39 a3 ee 5e 6b 4b 0d ... read least significant first.
    QTest::newRow("empty") << QString() << Q_UINT64_C(0x0d4b6b5eeea339da);
    QTest::newRow("abc") << QStringLiteral("abc") << Q_UINT64_C(0x6a810647363e99a9);
    QTest::newRow("utf-8") << QStringLiteral("Linse \u00e4 \u20ac") << Q_UINT64_C(0x09d804517ca1f7e1);
    QTest::newRow("surrogate pair") << QStringLiteral("\U0001F52D") << Q_UINT64_C(0x5b835747fd7cc52d);
}

void tst_HashDraws::hashIsTheLittleEndianStartOfSha1()
{
    QFETCH(QString, text);
    QFETCH(quint64, hash);
    QCOMPARE(Basics::myHash(text), hash);
}

void tst_HashDraws::uniformIntegersByDownscaling()
{
    // m = 2: scaling = (2^32 - 1) / 3 = 1431655765, and 3 * scaling is
    // 2^32 - 1 itself, so only that output is drawn again.
    ScriptedGenerator generator{{0xFFFFFFFFu, 0xFFFFFFFEu, 1431655764u, 1431655765u}};
    QCOMPARE(Draws::drawUpTo(generator, 2), 2u);
    QCOMPARE(generator.drawn, 2);
    QCOMPARE(Draws::drawUpTo(generator, 2), 0u);
    QCOMPARE(Draws::drawUpTo(generator, 2), 1u);
    // m = 5: scaling = 715827882, past = 4294967292.
    generator.outputs = {4294967292u, 4294967295u, 4294967291u};
    QCOMPARE(Draws::drawUpTo(generator, 5), 5u);
    QCOMPARE(generator.drawn, 7);
    // The full 32-bit range takes the output as it is.
    generator.outputs = {0xFFFFFFFFu};
    QCOMPARE(Draws::drawUpTo(generator, 0xFFFFFFFFu), 0xFFFFFFFFu);
    // The same outputs as the seeded standard generator gives.
    std::mt19937 a(42);
    std::mt19937 b(42);
    QCOMPARE(Draws::drawUpTo(a, 99), quint32(b()) / (0xFFFFFFFFu / 100));
}

void tst_HashDraws::lottoRules()
{
    QSet<int> set{99, 100};
    QCOMPARE(Basics::lotto(5, 1, set), 0);
    QVERIFY(set.isEmpty());
    set = {99};
    QCOMPARE(Basics::lotto(0, 10, set), 0);
    QVERIFY(set.isEmpty());
    QCOMPARE(Basics::lotto(-3, 10, set), 0);
    QCOMPARE(Basics::lotto(10, 3, set), 3);
    QCOMPARE(set, (QSet<int>{0, 1, 2}));
    for (int round = 0; round < 20; ++round) {
        QCOMPARE(Basics::lotto(6, 49, set), 6);
        QCOMPARE(set.size(), 6);
        for (int value : qAsConst(set))
            QVERIFY(value >= 0 && value < 49);
    }
    QCOMPARE(Basics::lotto(4, std::numeric_limits<int>::max(), set), 4);
    QCOMPARE(set.size(), 4);

    std::mt19937 generator(7);
    QCOMPARE(Draws::drawSet(1000, 1000, set, generator), 1000);
    QCOMPARE(set.size(), 1000);
}

void tst_HashDraws::lotto1Rules()
{
    QList<int> list{5, 6};
    QCOMPARE(Basics::lotto1(5, 1, list), 0);
    QVERIFY(list.isEmpty());
    list = {5};
    QCOMPARE(Basics::lotto1(0, 10, list), 0);
    QVERIFY(list.isEmpty());
    QCOMPARE(Basics::lotto1(3, 3, list), 3);
    QList<int> sorted = list;
    std::sort(sorted.begin(), sorted.end());
    QCOMPARE(sorted, (QList<int>{0, 1, 2}));
    QCOMPARE(Basics::lotto1(1, 2, list), 1);
    QVERIFY(list == QList<int>{0} || list == QList<int>{1});
    QCOMPARE(Basics::lotto1(10, 4, list), 4);
    QVERIFY(distinctAndInRange(list, 4));
    QCOMPARE(Basics::lotto1(6, 49, list), 6);
    QVERIFY(distinctAndInRange(list, 49));
}

void tst_HashDraws::lotto1DrawsAsThePoolDoes_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("range");
    QTest::newRow("two values") << 2 << 2;
    QTest::newRow("one of many") << 1 << 1000;
    QTest::newRow("lottery") << 6 << 49;
    QTest::newRow("permutation") << 500 << 500;
    QTest::newRow("more than range") << 90 << 64;
    QTest::newRow("dense") << 300 << 1000;
    QTest::newRow("just sparse") << 62 << 1000;
    QTest::newRow("sparse") << 100 << 100000;
    QTest::newRow("odd bucket end") << 37 << 999983;
    QTest::newRow("very sparse") << 20 << 5000000;
}

void tst_HashDraws::lotto1DrawsAsThePoolDoes()
{
    QFETCH(int, count);
    QFETCH(int, range);
    for (quint32 seed : {1u, 2u, 3u, 20240229u, 0xFFFFFFFFu}) {
        std::mt19937 forPool(seed);
        std::mt19937 forLotto(seed);
        const QList<int> expected = poolDraws(count, range, forPool);
        QList<int> drawn;
        QCOMPARE(Draws::drawInOrder(count, range, drawn, forLotto), expected.size());
        QCOMPARE(drawn, expected);
        QCOMPARE(forLotto(), forPool()); // the same number of generator outputs used
    }
}

void tst_HashDraws::lotto1OverTheWholeIntRange()
{
    // A pool of two billion values would need gigabytes.
    QList<int> list;
    QCOMPARE(Basics::lotto1(3, 2000000000, list), 3);
    QVERIFY(distinctAndInRange(list, 2000000000));
    QCOMPARE(Basics::lotto1(10, std::numeric_limits<int>::max(), list), 10);
    QVERIFY(distinctAndInRange(list, std::numeric_limits<int>::max()));
    // The last values of the range are reachable: scripted outputs that map to
    // the highest index each time.
    ScriptedGenerator top{{0xFFFFFFFDu, 0xFFFFFFFBu, 0xFFFFFFF9u}};
    QCOMPARE(Draws::drawInOrder(3, std::numeric_limits<int>::max(), list, top), 3);
    const int last = std::numeric_limits<int>::max() - 1;
    QCOMPARE(list, (QList<int>{last, last - 1, last - 2}));
}

void tst_HashDraws::hugeCountsAndMissingMemoryGiveZero()
{
    // More values than a QList<int> holds: 0 and an empty result at once,
    // nothing reserved, nothing thrown.
    const int max = std::numeric_limits<int>::max();
    QSet<int> set{1, 2};
    QCOMPARE(Basics::lotto(max, max, set), 0);
    QVERIFY(set.isEmpty());
    QList<int> list{1, 2};
    QCOMPARE(Basics::lotto1(max, max, list), 0);
    QVERIFY(list.isEmpty());
    list = {3};
    QCOMPARE(Basics::lotto1(Draws::MaxDrawCount + 1, max, list), 0);
    QVERIFY(list.isEmpty());

    // Memory that runs out while drawing (here: in the generator) gives the
    // same, not a half-filled result.
    struct RunsOutOfMemory
    {
        int left;
        quint32 operator()()
        {
            if (--left < 0)
                throw std::bad_alloc();
            return 12345u * quint32(left);
        }
    };
    RunsOutOfMemory forList{5};
    list = {4};
    QCOMPARE(Draws::drawInOrder(10, 100, list, forList), 0);
    QVERIFY(list.isEmpty());
    RunsOutOfMemory forSet{5};
    set = {4};
    QCOMPARE(Draws::drawSet(10, 100, set, forSet), 0);
    QVERIFY(set.isEmpty());
}

QTEST_GUILESS_MAIN(tst_HashDraws)
#include "tst_hashdraws.moc"
