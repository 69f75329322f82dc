// WProcess: the Windows texts byte for byte, and a real child (the test peer)
// reporting the arguments, environment and directory it got.

#include <WProcess/wprocess.h>

#include "Platform/processlauncher.h"
#include "Platform/serviceoverride.h"
#include "testpeer.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QStringList texts(const std::vector<testpeer::Text> &list)
{
    QStringList converted;
    for (const testpeer::Text &text : list)
        converted << QString::fromStdString(text);
    return converted;
}

struct CountingLauncher : Platform::ProcessLauncher
{
    bool startDetached(const Platform::DetachedStart &) override { return ++starts, true; }
    int starts = 0;
};

} // namespace

class tst_WProcess : public QObject
{
    Q_OBJECT

private slots:
    void windowsTexts()
    {
        QCOMPARE(WProcess::commandLine(QString::fromUtf8("D:/\u00e4/t.exe"), {"a", QString::fromUtf8("\U0001F600 \u20ac"), ""}),
                 QString::fromUtf8("D:\\\u00e4\\t.exe  a \"\U0001F600 \u20ac\" \"\""));
        QProcessEnvironment one;
        one.insert("A", "1");
        QCOMPARE(WProcess::environmentBlock(one), QByteArray("A\0=\0" "1\0\0\0" "\0\0\0\0", 12));
    }

    void childGetsWhatItWasGiven()
    {
        QTemporaryDir files;
        const QString report = files.filePath("report"), directory = files.filePath(QString::fromUtf8("w\u00e4 'dir'"));
        QVERIFY(QDir().mkdir(directory));
        const QStringList arguments{"", " ", "a\"b", "trail\\", QString::fromUtf8("\u00e4 \U0001F600"), "$HOME"};
        WProcess process;
        process.environment.insert(testpeer::ReportVariable, report);
        process.environment.insert("EMPTY", "");
        process.environment.insert(QString::fromUtf8("N\u00c4ME"), QString::fromUtf8("v=\u20ac"));
        QVERIFY(process.startDetached(TEST_PEER, arguments, directory));

        std::string data;
        QTRY_VERIFY(testpeer::readFile(QFile::encodeName(report).toStdString(), &data));
        testpeer::Report child;
        QVERIFY(testpeer::parse(data, &child));
        QCOMPARE(texts(child[testpeer::Arguments]), QStringList{TEST_PEER} + arguments);
        QCOMPARE(texts(child[testpeer::Directory]), QStringList{directory});
        QStringList environment; // in key order, nothing else
        for (const QString &name : process.environment.keys())
            environment << name + "=" + process.environment.value(name);
        QCOMPARE(texts(child[testpeer::Environment]), environment);
    }

    void textsWithNulAreRefused_data()
    {
        QTest::addColumn<QString>("argument");
        QTest::addColumn<QString>("value");
        const QString nul = QString("a") + QChar(0) + "b";
        QTest::newRow("argument") << nul << "v";
        QTest::newRow("variable") << "x" << nul;
    }

    // A NUL would cut the text short: refused before anything starts.
    void textsWithNulAreRefused()
    {
        QFETCH(QString, argument);
        QFETCH(QString, value);
        CountingLauncher counting;
        Platform::ScopedOverride<Platform::ProcessLauncher> scripted(counting);
        WProcess process;
        process.environment.insert("V", value);
        QVERIFY(!process.startDetached(TEST_PEER, {argument}, QString()));
        QCOMPARE(counting.starts, 0);
    }
};

QTEST_GUILESS_MAIN(tst_WProcess)
#include "tst_wprocess.moc"
