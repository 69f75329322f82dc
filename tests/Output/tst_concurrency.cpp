// Identifiers and trace lines used from several threads at once. Also run
// under ThreadSanitizer by the test script.

#include <Identifier/identifier.h>
#include <Output/output.h>

#include <QAtomicInt>
#include <QThread>
#include <QtTest>

#include <thread>
#include <vector>

namespace {

QAtomicInt s_lines;
QAtomicInt s_damagedLines;

void countingHandler(QtMsgType, const QMessageLogContext &, const QString &text)
{
    s_lines.fetchAndAddRelaxed(1);
    const bool whole = text.startsWith(QLatin1String("\x1b[0m "))
                       && (text.endsWith(QLatin1String(" end ")) || text.endsWith(QLatin1String("-> STARTED "))
                           || text.endsWith(QLatin1String(" msec\x1b[0m) ")));
    if (!whole)
        s_damagedLines.fetchAndAddRelaxed(1);
}

constexpr int s_threads = 4;
constexpr int s_rounds = 2000;

} // namespace

class tst_Concurrency : public QObject
{
    Q_OBJECT

private slots:
    void identifiersFromManyThreads();
    void traceLinesFromManyThreads();
};

void tst_Concurrency::identifiersFromManyThreads()
{
    const int registeredBefore = Identifier::s_all.size();
    std::vector<std::vector<std::unique_ptr<Identifier>>> kept(s_threads);
    // std::thread rather than QThread: ThreadSanitizer sees its joins.
    std::vector<std::thread> threads;
    for (int t = 0; t < s_threads; ++t) {
        threads.emplace_back([&kept, t] {
            Identifier original;
            for (int i = 0; i < s_rounds; ++i) {
                auto fresh = std::make_unique<Identifier>();
                Identifier copy(*fresh, Identifier::NewID);
                if (i % 4 == 0) {
                    kept[t].push_back(std::move(fresh));
                } else {
                    // Destroying a KeepID copy unregisters the shared id.
                    Identifier sharing(*fresh, Identifier::KeepID);
                }
                if (i % 7 == 0)
                    original.setID(0);
            }
        });
    }
    for (std::thread &thread : threads)
        thread.join();

    QSet<quint64> ids;
    int live = 0;
    for (const auto &perThread : kept) {
        for (const auto &identifier : perThread) {
            ids.insert(identifier->id());
            ++live;
        }
    }
    QCOMPARE(ids.size(), live);
    QCOMPARE(Identifier::s_all.size(), registeredBefore + live);
    for (quint64 id : ids)
        QVERIFY(Identifier::s_all.contains(id));
    kept.clear();
    QCOMPARE(Identifier::s_all.size(), registeredBefore);
}

void tst_Concurrency::traceLinesFromManyThreads()
{
    s_lines = 0;
    s_damagedLines = 0;
    const QtMessageHandler previous = qInstallMessageHandler(countingHandler);
    std::vector<std::thread> threads;
    for (int t = 0; t < s_threads; ++t) {
        threads.emplace_back([] {
            for (int i = 0; i < s_rounds; ++i) {
                BASICS_TRACE << "line" << i << QStringLiteral("of a thread") << "end";
                if (i % 100 == 0)
                    Output::AutoStopWatch watch("watch end");
                (void)Output::TimeHelper::elapsed();
            }
        });
    }
    for (std::thread &thread : threads)
        thread.join();
    qInstallMessageHandler(previous);

    QCOMPARE(int(s_lines), s_threads * s_rounds + s_threads * (s_rounds / 100) * 2);
    QCOMPARE(int(s_damagedLines), 0);
    QVERIFY(Output::TimeHelper::s_last.isValid());
    QVERIFY(Output::TimeHelper::elapsed() < 60000);
}

QTEST_GUILESS_MAIN(tst_Concurrency)
#include "tst_concurrency.moc"
