// SignalCollector and AutoSignalCollector: triggers outside and inside
// brackets, the modes, reset, the flush and what receivers see during it.

#include <Collectors/signalcollector.h>

#include <QSignalSpy>
#include <QtTest>

#include <memory>
#include <random>
#include <thread>
#include <vector>

using Collector = SignalCollector;

class tst_SignalCollector : public QObject
{
    Q_OBJECT

private slots:
    void initialStateAndMetaObject();
    void triggerOutsideABracketEmitsAtOnce();
    void bracketFlushesDistinctValuesAndHighestLevel();
    void singleValueIsFlushedBare();
    void nestedBracketsFlushAtTheOutermostEnd();
    void levelsBelowTheFloorFlushAtTheFloor();
    void blockAndPassThroughModes();
    void modeChangesNeverFlush();
    void resetDiscardsWhatWasRemembered();
    void extraDecrementsAreHarmless();
    void changedReachesEveryKindOfListener();
    void stateDuringTheFlushEmission();
    void receiverResettingDuringTheFlush();
    void triggeredConnectsInThreeForms();
    void autoSignalCollectorBrackets();
    void instanceCounterFollowsLiveCollectors();
    void bracketsInARowMatchTheRules_data();
    void bracketsInARowMatchTheRules();
    void noValueOutlivesItsFlush();
};

void tst_SignalCollector::initialStateAndMetaObject()
{
    Collector collector;
    QCOMPARE(collector.objectName(), QStringLiteral("SignalCollector"));
    QCOMPARE(collector.triggerCount(), 0);
    QCOMPARE(collector.depth(), 0);
    QCOMPARE(collector.mode(), Collector::Collect);
    QCOMPARE(collector.maxLevel(), -1000);
    QVERIFY(collector.values().isEmpty());

    const QMetaObject &meta = Collector::staticMetaObject;
    QStringList members;
    for (int i = meta.methodOffset(); i < meta.methodCount(); ++i)
        members << QString::fromLatin1(meta.method(i).methodSignature());
    QCOMPARE(members, QStringList({"triggered(QVariant,int)", "triggered(QVariant)", "triggered()",
                                   "changed()", "increment()", "decrement()",
                                   "trigger(QVariant,int)"}));
    const QMetaMethod trigger = meta.method(meta.indexOfSlot("trigger(QVariant,int)"));
    QCOMPARE(trigger.parameterNames(), QList<QByteArray>({"value", "level"}));
    QCOMPARE(trigger.returnType(), qMetaTypeId<Collector::TriggerResult>());
}

void tst_SignalCollector::triggerOutsideABracketEmitsAtOnce()
{
    Collector collector;
    QSignalSpy triggered(&collector, &Collector::triggered);
    QSignalSpy changed(&collector, &Collector::changed);
    QCOMPARE(collector.trigger(5, 1), Collector::Emitted);
    QCOMPARE(triggered.count(), 1);
    QCOMPARE(triggered[0], QVariantList({5, 1}));
    QCOMPARE(changed.count(), 0);
    QCOMPARE(collector.triggerCount(), 0);
}

void tst_SignalCollector::bracketFlushesDistinctValuesAndHighestLevel()
{
    Collector collector;
    QSignalSpy triggered(&collector, &Collector::triggered);
    QSignalSpy changed(&collector, &Collector::changed);
    collector.increment();
    QCOMPARE(collector.trigger("A", 1), Collector::Collected);
    QCOMPARE(collector.trigger("A", 3), Collector::Collected);
    QCOMPARE(collector.trigger("B", 2), Collector::Collected);
    QCOMPARE(collector.trigger("A", 0), Collector::Collected);
    QCOMPARE(triggered.count(), 0);
    QCOMPARE(changed.count(), 5); // increment and each collected trigger
    QCOMPARE(collector.triggerCount(), 4);
    QCOMPARE(collector.values(), QVariantList({"A", "B", "A"}));
    QCOMPARE(collector.maxLevel(), 3);

    collector.decrement();
    QCOMPARE(triggered.count(), 1);
    QCOMPARE(triggered[0][0], QVariant(QVariantList({"A", "B", "A"})));
    QCOMPARE(triggered[0][1].toInt(), 3);
    QCOMPARE(changed.count(), 6);
    QVERIFY(collector.values().isEmpty());
    QCOMPARE(collector.maxLevel(), -1000);
    QCOMPARE(collector.depth(), 0);
}

void tst_SignalCollector::singleValueIsFlushedBare()
{
    Collector collector;
    QSignalSpy triggered(&collector, &Collector::triggered);
    collector.increment();
    collector.trigger(7, 2);
    collector.trigger(7, 1);
    collector.trigger(7.0, 0); // equal as QVariants, though of another type
    collector.decrement();
    QCOMPARE(triggered.count(), 1);
    QCOMPARE(triggered[0], QVariantList({7, 2}));

    // A list value stays one value.
    collector.increment();
    collector.trigger(QVariantList{1, 2}, 0);
    collector.decrement();
    QCOMPARE(triggered[1][0], QVariant(QVariantList({1, 2})));
}

void tst_SignalCollector::nestedBracketsFlushAtTheOutermostEnd()
{
    Collector collector;
    QSignalSpy triggered(&collector, &Collector::triggered);
    collector.increment();
    collector.trigger(1, 0);
    collector.increment();
    collector.trigger(2, 0);
    QCOMPARE(collector.depth(), 2);
    collector.decrement();
    QCOMPARE(triggered.count(), 0);
    QCOMPARE(collector.depth(), 1);
    collector.trigger(3, 0);
    collector.decrement();
    QCOMPARE(triggered.count(), 1);
    QCOMPARE(triggered[0][0], QVariant(QVariantList({1, 2, 3})));
}

void tst_SignalCollector::levelsBelowTheFloorFlushAtTheFloor()
{
    Collector collector;
    QSignalSpy triggered(&collector, &Collector::triggered);
    collector.increment();
    collector.trigger("x", -5000);
    collector.trigger("y", -1001);
    QCOMPARE(collector.maxLevel(), -1000);
    collector.decrement();
    QCOMPARE(triggered[0][1].toInt(), -1000);
}

void tst_SignalCollector::blockAndPassThroughModes()
{
    Collector collector;
    QSignalSpy triggered(&collector, &Collector::triggered);
    QSignalSpy changed(&collector, &Collector::changed);
    QCOMPARE(collector.setMode(Collector::Block), Collector::Collect);
    QCOMPARE(changed.count(), 1);
    collector.increment();
    QCOMPARE(collector.trigger(1, 1), Collector::Ignored);
    collector.decrement();
    QCOMPARE(collector.trigger(1, 1), Collector::Ignored);
    QCOMPARE(triggered.count(), 0);
    QCOMPARE(changed.count(), 3); // setMode, increment, decrement; no trigger

    QCOMPARE(collector.setMode(Collector::PassThrough), Collector::Block);
    collector.increment();
    QCOMPARE(collector.trigger(2, 4), Collector::Emitted);
    QCOMPARE(collector.trigger(3, 5), Collector::Emitted);
    QCOMPARE(triggered.count(), 2);
    QCOMPARE(triggered[1], QVariantList({3, 5}));
    QVERIFY(collector.values().isEmpty());
    collector.decrement();
    QCOMPARE(triggered.count(), 2);
}

void tst_SignalCollector::modeChangesNeverFlush()
{
    Collector collector;
    QSignalSpy triggered(&collector, &Collector::triggered);
    collector.increment();
    collector.trigger("kept", 2);
    collector.setMode(Collector::Block);
    collector.setMode(Collector::PassThrough);
    QCOMPARE(triggered.count(), 0);
    QCOMPARE(collector.values(), QVariantList({"kept"}));
    collector.decrement(); // remembered triggers wait for this, whatever the mode
    QCOMPARE(triggered.count(), 1);
    QCOMPARE(triggered[0], QVariantList({"kept", 2}));
}

void tst_SignalCollector::resetDiscardsWhatWasRemembered()
{
    Collector collector;
    QSignalSpy triggered(&collector, &Collector::triggered);
    QSignalSpy changed(&collector, &Collector::changed);
    collector.increment();
    collector.increment();
    collector.trigger(1, 9);
    collector.setMode(Collector::Block);
    changed.clear();
    collector.reset();
    QCOMPARE(changed.count(), 1);
    QCOMPARE(collector.depth(), 0);
    QCOMPARE(collector.triggerCount(), 0);
    QCOMPARE(collector.mode(), Collector::Collect);
    QCOMPARE(collector.maxLevel(), -1000);
    QVERIFY(collector.values().isEmpty());
    collector.decrement();
    QCOMPARE(triggered.count(), 0);
}

void tst_SignalCollector::extraDecrementsAreHarmless()
{
    Collector collector;
    QSignalSpy triggered(&collector, &Collector::triggered);
    QSignalSpy changed(&collector, &Collector::changed);
    collector.decrement();
    collector.decrement();
    QCOMPARE(collector.depth(), 0);
    QCOMPARE(changed.count(), 2); // nothing remembered: only changed()
    collector.increment();
    QCOMPARE(collector.depth(), 1); // one increment opens a bracket again
    collector.trigger(1, 0);
    QCOMPARE(triggered.count(), 0);
    collector.decrement();
    QCOMPARE(triggered.count(), 1);
}

void tst_SignalCollector::changedReachesEveryKindOfListener()
{
    // trigger() skips changed() while nothing listens; every way of
    // listening must count.
    Collector collector;
    collector.increment();
    collector.trigger(0, 0);
    int lambdaCalls = 0;
    auto connection = connect(&collector, &Collector::changed, [&] { ++lambdaCalls; });
    collector.trigger(1, 0);
    QCOMPARE(lambdaCalls, 1);
    disconnect(connection);
    collector.trigger(2, 0);
    QCOMPARE(lambdaCalls, 1);

    {
        QObject listener;
        QSignalSpy byString(&collector, SIGNAL(changed()));
        connect(&collector, SIGNAL(changed()), &listener, SLOT(deleteLater()));
        collector.trigger(3, 0);
        QCOMPARE(byString.count(), 1);
    }
    auto *receiver = new QObject;
    int receiverCalls = 0;
    connect(&collector, &Collector::changed, receiver, [&] { ++receiverCalls; });
    collector.trigger(4, 0);
    delete receiver;
    collector.trigger(5, 0);
    QCOMPARE(receiverCalls, 1);
    QCOMPARE(collector.values(), QVariantList({0, 1, 2, 3, 4, 5}));
}

void tst_SignalCollector::stateDuringTheFlushEmission()
{
    Collector collector;
    int depth = -1, count = -1, level = 0;
    QVariantList values;
    connect(&collector, &Collector::triggered, this, [&] {
        depth = collector.depth();
        count = collector.triggerCount();
        values = collector.values();
        level = collector.maxLevel();
    });
    collector.increment();
    collector.trigger("a", 4);
    collector.trigger("b", 2);
    collector.decrement();
    QCOMPARE(depth, 0);
    QCOMPARE(count, 0);
    QCOMPARE(values, QVariantList({"a", "b"}));
    QCOMPARE(level, 4);
}

void tst_SignalCollector::receiverResettingDuringTheFlush()
{
    // The first receiver resets the collector; the second still gets the
    // whole flushed value.
    Collector collector;
    connect(&collector, &Collector::triggered, this, [&] { collector.reset(); });
    QVariant seen;
    connect(&collector, &Collector::triggered, this,
            [&](const QVariant &value) { seen = value; });
    collector.increment();
    collector.trigger(QString(1000, 'x'), 1);
    collector.decrement();
    QCOMPARE(seen, QVariant(QString(1000, 'x')));
    QVERIFY(collector.values().isEmpty());
}

void tst_SignalCollector::triggeredConnectsInThreeForms()
{
    Collector collector;
    QSignalSpy full(&collector, SIGNAL(triggered(QVariant,int)));
    QSignalSpy valueOnly(&collector, SIGNAL(triggered(QVariant)));
    QSignalSpy bare(&collector, SIGNAL(triggered()));
    QVERIFY(full.isValid() && valueOnly.isValid() && bare.isValid());
    collector.trigger("v", 3);
    QCOMPARE(full.count(), 1);
    QCOMPARE(valueOnly.count(), 1);
    QCOMPARE(bare.count(), 1);
    QCOMPARE(full[0], QVariantList({"v", 3}));

    // Invoked through the meta-object, trigger reports its result too.
    Collector::TriggerResult result = Collector::Ignored;
    QVERIFY(QMetaObject::invokeMethod(&collector, "trigger",
                                      Q_RETURN_ARG(SignalCollector::TriggerResult, result),
                                      Q_ARG(QVariant, 1), Q_ARG(int, 0)));
    QCOMPARE(result, Collector::Emitted);
}

void tst_SignalCollector::autoSignalCollectorBrackets()
{
    Collector collector;
    QSignalSpy triggered(&collector, &Collector::triggered);
    {
        AutoSignalCollector outer(&collector);
        collector.trigger(1, 0);
        {
            AutoSignalCollector inner(&collector);
            QCOMPARE(collector.depth(), 2);
            collector.trigger(2, 0);
        }
        QCOMPARE(triggered.count(), 0);
    }
    QCOMPARE(triggered.count(), 1);
    QCOMPARE(collector.depth(), 0);
    {
        AutoSignalCollector none(nullptr);
    }
}

void tst_SignalCollector::instanceCounterFollowsLiveCollectors()
{
    const int before = Collector::s_instanceCounter;
    {
        Collector a;
        auto b = std::make_unique<Collector>();
        QCOMPARE(Collector::s_instanceCounter, before + 2);
        b.reset();
        QCOMPARE(Collector::s_instanceCounter, before + 1);
    }
    QCOMPARE(Collector::s_instanceCounter, before);

    // Created and destroyed on several threads at once: still exact.
    // (std::thread, whose join ThreadSanitizer understands.)
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([] {
            for (int i = 0; i < 2000; ++i) {
                Collector collector;
                collector.trigger(i, 0);
            }
        });
    }
    for (std::thread &thread : threads)
        thread.join();
    QCOMPARE(Collector::s_instanceCounter, before);
}


// Brackets one after the other, of growing and shrinking size, against the
// rules written out plainly: the collector reuses the elements of its last
// flushed list, which must never show in values(), in a flush, or in a list
// a receiver kept.
void tst_SignalCollector::bracketsInARowMatchTheRules_data()
{
    QTest::addColumn<bool>("receiverKeepsLists");
    QTest::newRow("receiver drops the lists") << false;
    QTest::newRow("receiver keeps the lists") << true;
}

void tst_SignalCollector::bracketsInARowMatchTheRules()
{
    QFETCH(bool, receiverKeepsLists);
    std::mt19937 engine(7);
    auto below = [&](int bound) { return int(engine() % unsigned(bound)); };
    // Ints, texts, flags, doubles, invalid, and long longs equal to ints.
    const QVariant candidates[] = {0, 1, 2, "s", "ss", true, false, 0.5, 1.0, QVariant(),
                                   qlonglong(1), qlonglong(2)};
    Collector collector;
    QVariantList flushes;
    QList<QVariantList> kept;
    connect(&collector, &Collector::triggered, this, [&](const QVariant &value, int level) {
        // A list is copied element by element: only a receiver that keeps
        // it shares it with the collector.
        QVariantList elements;
        for (const QVariant &element : value.toList())
            elements << element;
        flushes << (value.type() == QVariant::List ? QVariant(elements) : value) << level;
        if (receiverKeepsLists && value.type() == QVariant::List)
            kept << value.toList();
    });
    QVariantList expectedFlushes;
    QList<QVariantList> expectedKept;
    for (int bracket = 0; bracket < 300; ++bracket) {
        QVariantList remembered;
        int level = -1000;
        collector.increment();
        const int triggers = below(3) == 0 ? below(40) : below(5);
        for (int i = 0; i < triggers; ++i) {
            const QVariant value = candidates[below(12)];
            const int valueLevel = below(7) - 3;
            if (remembered.isEmpty() || !(remembered.last() == value))
                remembered << value;
            level = qMax(level, valueLevel);
            QCOMPARE(collector.trigger(value, valueLevel), Collector::Collected);
            QCOMPARE(collector.values(), remembered);
        }
        collector.decrement();
        if (triggers > 0) {
            expectedFlushes << (remembered.size() == 1 ? remembered.first() : QVariant(remembered))
                            << level;
            if (receiverKeepsLists && remembered.size() != 1)
                expectedKept << remembered;
        }
        QCOMPARE(flushes, expectedFlushes);
        QVERIFY(collector.values().isEmpty());
    }
    QCOMPARE(kept, expectedKept);
}

void tst_SignalCollector::noValueOutlivesItsFlush()
{
    // The elements kept for the next bracket are emptied: a remembered value
    // is released with the flush, as it was before the elements were kept.
    QByteArray data(1000, 'd');
    Collector collector;
    for (int round = 0; round < 2; ++round) {
        collector.increment();
        collector.trigger(1, 0);
        collector.trigger(QVariant(data), 0);
        collector.trigger(QStringLiteral("text"), 0);
        QVERIFY(!data.isDetached());
        collector.decrement();
        QVERIFY(data.isDetached());
    }
}

QTEST_GUILESS_MAIN(tst_SignalCollector)
#include "tst_signalcollector.moc"
