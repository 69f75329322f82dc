// Diagnostic lines: time stamps, trace lines, levelled debug lines and the
// stopwatch, checked character by character as a message handler sees them.

#include <Output/output.h>

#include "testsupport/messagecapture.h"

#include <QRegularExpression>
#include <QtTest>

using Output::TimeHelper;

namespace {

const QString timePattern = QStringLiteral("\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d");
const QString deltaPattern = QStringLiteral("\x1b\\[31m \\(\\+(-?\\d+)\\)\x1b\\[0m");

QString escaped(const QString &text)
{
    return QRegularExpression::escape(text);
}

QString threadItems()
{
    return QStringLiteral("\\(Th= 0x%1 \\) ")
        .arg(quintptr(QThread::currentThreadId()), 0, 16);
}

int sideEffects = 0;
int countedItem()
{
    ++sideEffects;
    return 1;
}

} // namespace

class tst_Output : public QObject
{
    Q_OBJECT

private slots:
    void firstStampHasNoDeltaThenDeltasFollow();
    void deltaIsMeasuredFromAnAssignedLastStamp();
    void elapsedClockStartsAtZero();
    void traceLineLayout();
    void itemSpacingRules();
    void sourcePathIsRelativeWithBackslashes();
    void levelGate_data();
    void levelGate();
    void debugLineLayouts();
    void gatedLineIsNotBuilt();
    void stopwatchLines();
    void stopwatchWithNullName();
    void eachLineReachesTheHandlerWhole();

private:
    int m_savedLevel = 0;
    bool m_savedSingle = false;
};

void tst_Output::firstStampHasNoDeltaThenDeltasFollow()
{
    QVERIFY(TimeHelper::s_last.isNull());
    const QString first = TimeHelper::showTime();
    QVERIFY2(QRegularExpression("^" + timePattern + "$").match(first).hasMatch(), qPrintable(first));
    QVERIFY(TimeHelper::s_last.isValid());

    const QString second = TimeHelper::showTime();
    const QRegularExpressionMatch match =
        QRegularExpression("^" + timePattern + deltaPattern + "$").match(second);
    QVERIFY2(match.hasMatch(), qPrintable(second));
    QVERIFY(match.captured(1).toLongLong() >= 0);
    QVERIFY(match.captured(1).toLongLong() < 1000);
}

void tst_Output::deltaIsMeasuredFromAnAssignedLastStamp()
{
    // The application may set s_last itself; the next delta measures from it.
    TimeHelper::s_last = QDateTime::currentDateTime().addMSecs(-5000);
    const qint64 elapsed = TimeHelper::elapsed();
    QVERIFY(elapsed >= 5000 && elapsed < 6000);
    const QRegularExpressionMatch match =
        QRegularExpression(deltaPattern + "$").match(TimeHelper::showTime());
    QVERIFY(match.hasMatch());
    QVERIFY(match.captured(1).toLongLong() >= 5000);
    QVERIFY(match.captured(1).toLongLong() < 6000);
    QVERIFY(TimeHelper::elapsed() < 1000);

    // A stamp in UTC is converted like any other time.
    TimeHelper::s_last = QDateTime::currentDateTimeUtc().addMSecs(-2000);
    const QRegularExpressionMatch utcMatch =
        QRegularExpression(deltaPattern + "$").match(TimeHelper::showTime());
    QVERIFY(utcMatch.captured(1).toLongLong() >= 2000);
    QVERIFY(utcMatch.captured(1).toLongLong() < 3000);
}

void tst_Output::elapsedClockStartsAtZero()
{
    QCOMPARE(MyWarnings::_elapsed_(), QStringLiteral("00:00:00:000"));
    QTest::qWait(20);
    const QString later = MyWarnings::_elapsed_();
    QVERIFY2(QRegularExpression("^00:00:00:0[2-9]\\d$").match(later).hasMatch(), qPrintable(later));
}

void tst_Output::traceLineLayout()
{
    MessageCapture capture;
    const int line = __LINE__ + 1;
    BASICS_TRACE << "splitter = NULL";

    const QList<MessageCapture::Message> messages = capture.messages();
    QCOMPARE(messages.size(), 1);
    QCOMPARE(messages.first().type, QtDebugMsg);
    const QString expected = "^\x1b\\[0m " + timePattern + deltaPattern + " " + threadItems()
                             + escaped(QString::fromLatin1(Q_FUNC_INFO)) + " "
                             + escaped(QString::fromLatin1(BASICS_SOURCE_PATH)) + " "
                             + QString::number(line) + " -> splitter = NULL $";
    QVERIFY2(QRegularExpression(expected).match(messages.first().text).hasMatch(),
             qPrintable(messages.first().text));
    QCOMPARE(QString::fromLatin1(Q_FUNC_INFO), QStringLiteral("void tst_Output::traceLineLayout()"));
}

void tst_Output::itemSpacingRules()
{
    auto lineOf = [](auto &&write) {
        MessageCapture capture;
        {
            Output::LineStream line;
            write(line);
        }
        return capture.texts().value(0);
    };

    QCOMPARE(lineOf([](Output::LineStream &l) { l << "plain" << QString("say \"hi\""); }),
             QStringLiteral("plain \"say \"hi\"\" "));
    QCOMPARE(lineOf([](Output::LineStream &l) { l << 42 << -7 << quint64(18446744073709551615ULL); }),
             QStringLiteral("42 -7 18446744073709551615 "));
    QCOMPARE(lineOf([](Output::LineStream &l) {
                 l << reinterpret_cast<void *>(quintptr(0x1a2c)) << static_cast<QObject *>(nullptr);
             }),
             QStringLiteral("0x1a2c 0x0 "));
    QCOMPARE(lineOf([](Output::LineStream &l) { l << QByteArray("bytes") << true << 2.5 << 'c'; }),
             QStringLiteral("bytes true 2.5 c "));
    char mutableText[] = "mutable";
    QCOMPARE(lineOf([&](Output::LineStream &l) { l << mutableText << static_cast<const char *>(nullptr); }),
             QStringLiteral("mutable  "));
    QCOMPARE(lineOf([](Output::LineStream &l) { l << QString() << QString::fromUtf8("µm"); }),
             QString::fromUtf8("\"\" \"µm\" "));
    // Types without an own rule are written as QDebug writes them.
    QCOMPARE(lineOf([](Output::LineStream &l) { l << QSize(3, 4); }), QStringLiteral("QSize(3, 4) "));
}

void tst_Output::sourcePathIsRelativeWithBackslashes()
{
    QCOMPARE(QString::fromLatin1(Output::detail::SourcePath<18>("Basics/basics.cpp").text),
             QStringLiteral("Basics\\basics.cpp"));
    QCOMPARE(QString::fromLatin1(
                 Output::detail::SourcePath<36>("/home/me/src/lib/src/Output/out.cpp").text),
             QStringLiteral("Output\\out.cpp"));
    QCOMPARE(QString::fromLatin1(Output::detail::SourcePath<16>("C:\\src\\Guards\\g").text),
             QStringLiteral("Guards\\g"));
    QCOMPARE(QString::fromLatin1(Output::detail::SourcePath<10>("srcfolder").text),
             QStringLiteral("srcfolder"));
}

void tst_Output::levelGate_data()
{
    QTest::addColumn<int>("debugLevel");
    QTest::addColumn<bool>("onlySingleLevel");
    QTest::addColumn<int>("level");
    QTest::addColumn<bool>("written");

    QTest::newRow("initial settings, level -99") << 0 << false << -99 << true;
    QTest::newRow("initial settings, level 2") << 0 << false << 2 << false;
    QTest::newRow("single level -99, level -99") << -99 << true << -99 << true;
    QTest::newRow("single level 0, level -99") << 0 << true << -99 << false;
    QTest::newRow("level -100, level -99") << -100 << false << -99 << false;
    QTest::newRow("single level -100, level -99") << -100 << true << -99 << false;
    QTest::newRow("level 3, level 2") << 3 << false << 2 << true;
    QTest::newRow("level 2, level 2") << 2 << false << 2 << true;
}

void tst_Output::levelGate()
{
    QFETCH(int, debugLevel);
    QFETCH(bool, onlySingleLevel);
    QFETCH(int, level);
    QFETCH(bool, written);

    QCOMPARE(MyWarnings::debugLevel, 0);
    QCOMPARE(MyWarnings::onlySingleLevel, false);
    MyWarnings::debugLevel = debugLevel;
    MyWarnings::onlySingleLevel = onlySingleLevel;
    MessageCapture capture;
    BASICS_DEBUG(level) << "with location";
    BASICS_DEBUG_NOLOC(level) << "without location";
    MyWarnings::debugLevel = 0;
    MyWarnings::onlySingleLevel = false;

    QCOMPARE(capture.messages().size(), written ? 2 : 0);
}

void tst_Output::debugLineLayouts()
{
    MessageCapture capture;
    const int line = __LINE__ + 1;
    BASICS_DEBUG(-99) << "Invalid icon:" << QStringLiteral("C:/icons/a.ico");
    BASICS_DEBUG_NOLOC(-99) << "FAILED RMDIR:" << QStringLiteral("/tmp/x");

    const QStringList texts = capture.texts();
    QCOMPARE(texts.size(), 2);
    const QString reading = QStringLiteral("\"\\d\\d:\\d\\d:\\d\\d:\\d\\d\\d\" ");
    const QString withLocation = "^" + reading + escaped(QString::fromLatin1(Q_FUNC_INFO)) + " "
                                 + escaped(QString::fromLatin1(BASICS_SOURCE_PATH)) + " \\( "
                                 + QString::number(line)
                                 + " \\)  Invalid icon: \"C:/icons/a.ico\" $";
    QVERIFY2(QRegularExpression(withLocation).match(texts[0]).hasMatch(), qPrintable(texts[0]));
    QVERIFY2(QRegularExpression("^" + reading + "FAILED RMDIR: \"/tmp/x\" $").match(texts[1]).hasMatch(),
             qPrintable(texts[1]));
}

void tst_Output::gatedLineIsNotBuilt()
{
    sideEffects = 0;
    MessageCapture capture;
    BASICS_DEBUG(2) << countedItem();
    QCOMPARE(sideEffects, 0);
    BASICS_DEBUG(-99) << countedItem();
    QCOMPARE(sideEffects, 1);

    // The macros nest safely in an if without braces.
    int elseTaken = 0;
    if (sideEffects == 1)
        BASICS_DEBUG(2) << "never";
    else
        ++elseTaken;
    QCOMPARE(elseTaken, 0);
    QCOMPARE(capture.messages().size(), 1);
}

void tst_Output::stopwatchLines()
{
    MessageCapture capture;
    {
        Output::AutoStopWatch watch("load lens");
        QCOMPARE(capture.messages().size(), 1);
        QTest::qWait(30);
    }
    const QStringList texts = capture.texts();
    QCOMPARE(texts.size(), 2);
    const QString head = "^\x1b\\[0m " + timePattern + "(" + deltaPattern + ")? " + threadItems();
    QVERIFY2(QRegularExpression(head + "load lens -> STARTED $").match(texts[0]).hasMatch(),
             qPrintable(texts[0]));
    const QRegularExpressionMatch finished =
        QRegularExpression(head + "load lens -> FINISHED \\(\x1b\\[31m(\\d+) msec\x1b\\[0m\\) $")
            .match(texts[1]);
    QVERIFY2(finished.hasMatch(), qPrintable(texts[1]));
    const qint64 spent = finished.captured(finished.lastCapturedIndex()).toLongLong();
    QVERIFY2(spent >= 29 && spent < 2000, qPrintable(texts[1]));
}

void tst_Output::stopwatchWithNullName()
{
    MessageCapture capture;
    {
        Output::AutoStopWatch watch(nullptr);
    }
    const QStringList texts = capture.texts();
    QCOMPARE(texts.size(), 2);
    QVERIFY(texts[0].endsWith(QStringLiteral(")  -> STARTED ")));
    QVERIFY2(QRegularExpression("\\)  -> FINISHED \\(\x1b\\[31m\\d+ msec\x1b\\[0m\\) $")
                 .match(texts[1]).hasMatch(),
             qPrintable(texts[1]));
    // Both lines are time stamps and move s_last.
    QVERIFY(TimeHelper::elapsed() < 1000);
}

void tst_Output::eachLineReachesTheHandlerWhole()
{
    MessageCapture capture;
    BASICS_TRACE << "one" << 2 << QStringLiteral("three");
    BASICS_TRACE;
    const QList<MessageCapture::Message> messages = capture.messages();
    QCOMPARE(messages.size(), 2);
    QVERIFY(messages[0].text.endsWith(QStringLiteral("-> one 2 \"three\" ")));
    QVERIFY(messages[1].text.endsWith(QStringLiteral(" -> ")));
    for (const MessageCapture::Message &message : messages)
        QCOMPARE(message.type, QtDebugMsg);
}

QTEST_GUILESS_MAIN(tst_Output)
#include "tst_output.moc"
