// WProcess: the toolkit side of the detached start. Real children (the
// launch reporter of the platform tests) report the arguments, environment
// and directory they got from QStringList and QProcessEnvironment; the
// texts for Windows are checked byte for byte.

#include <WProcess/wprocess.h>

#include "Platform/processlauncher.h"
#include "Platform/serviceoverride.h"
#include "launchreport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QString reporter()
{
    return QStringLiteral(BASICS_LAUNCH_REPORTER);
}

bool readReport(const QString &path, launchreport::Report *report)
{
    QElapsedTimer clock;
    clock.start();
    std::string data;
    while (clock.elapsed() < 20000) {
        if (launchreport::readFile(QFile::encodeName(path).toStdString(), &data))
            return launchreport::parse(data, report);
        QTest::qWait(10);
    }
    return false;
}

QStringList texts(const std::vector<launchreport::Text> &list)
{
    QStringList converted;
    for (const launchreport::Text &text : list)
        converted << QString::fromStdString(text);
    return converted;
}

// Counts starts instead of making them.
class CountingLauncher : public Platform::ProcessLauncher
{
public:
    bool startDetached(const Platform::DetachedStart &) override
    {
        ++starts;
        return true;
    }
    int starts = 0;
};

} // namespace

class tst_WProcess : public QObject
{
    Q_OBJECT

private slots:
    void commandLine_data();
    void commandLine();
    void environmentBlock();
    void childGetsArgumentsEnvironmentAndDirectory_data();
    void childGetsArgumentsEnvironmentAndDirectory();
    void refusedInput_data();
    void refusedInput();
};

void tst_WProcess::commandLine_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("expected");

    QTest::newRow("two spaces after the program") << "p" << QStringList{"a", "b c"} << "p  a \"b c\"";
    QTest::newRow("program with a blank") << "C:/Program Files/Tool/tool.exe" << QStringList()
                                          << "\"C:\\Program Files\\Tool\\tool.exe\" ";
    QTest::newRow("no program") << "" << QStringList{"x"} << " x";
    QTest::newRow("quotes and trailing backslashes")
        << "t" << QStringList{"say \"hi\"", "C:\\my dir\\", ""}
        << "t  \"say \\\"hi\\\"\" \"C:\\my dir\"\\ \"\"";
    QTest::newRow("text beyond Latin-1 and a surrogate pair")
        << QString::fromUtf8("D:/\u00e4/\u4e2d.exe") << QStringList{QString::fromUtf8("\U0001F600 \u20ac")}
        << QString::fromUtf8("D:\\\u00e4\\\u4e2d.exe  \"\U0001F600 \u20ac\"");
}

void tst_WProcess::commandLine()
{
    QFETCH(QString, program);
    QFETCH(QStringList, arguments);
    QFETCH(QString, expected);
    QCOMPARE(WProcess::commandLine(program, arguments), expected);
}

void tst_WProcess::environmentBlock()
{
    QProcessEnvironment one;
    one.insert("A", "1");
    QCOMPARE(WProcess::environmentBlock(one), QByteArray("A\0=\0" "1\0\0\0" "\0\0\0\0", 12));
    QCOMPARE(WProcess::environmentBlock(QProcessEnvironment()), QByteArray(4, '\0'));
}

void tst_WProcess::childGetsArgumentsEnvironmentAndDirectory_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("explicitEnvironment");
    QTest::addColumn<bool>("inWorkingDirectory");

    const QStringList special{"", " ", "a\"b", "trail\\", QString::fromUtf8("\u00e4\u00f6\u00fc \u20ac"),
                              QString::fromUtf8("\U0001F600"), "$HOME", "*", "'q'", "tab\there"};
    QTest::newRow("inherited environment") << special << false << false;
    QTest::newRow("explicit environment") << special << true << false;
    QTest::newRow("working directory") << QStringList{"x"} << true << true;
    QTest::newRow("no arguments") << QStringList() << false << true;
}

void tst_WProcess::childGetsArgumentsEnvironmentAndDirectory()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, explicitEnvironment);
    QFETCH(bool, inWorkingDirectory);

    QTemporaryDir directory;
    const QString reportPath = directory.filePath("report");
    const QString workingDirectory = directory.filePath(QString::fromUtf8("w\u00e4 'dir'"));
    QVERIFY(QDir().mkdir(workingDirectory));
    qputenv("BASICS_FROM_PARENT", "inherited");

    WProcess process;
    QStringList expectedEnvironment;
    if (explicitEnvironment) {
        QProcessEnvironment environment;
        environment.insert(launchreport::ReportVariable, reportPath);
        environment.insert("PATH", "/opt/tools/bin");
        environment.insert("EMPTY", "");
        environment.insert(QString::fromUtf8("N\u00c4ME"), QString::fromUtf8("v=\u20ac"));
        process.environment = environment;
        for (const QString &name : environment.keys())
            expectedEnvironment << name + "=" + environment.value(name);
    } else {
        qputenv(launchreport::ReportVariable, QFile::encodeName(reportPath));
    }
    QVERIFY(process.startDetached(reporter(), arguments,
                                  inWorkingDirectory ? workingDirectory : QString()));

    launchreport::Report report;
    QVERIFY(readReport(reportPath, &report));
    QCOMPARE(texts(report.runtimeArguments), QStringList{reporter()} + arguments);
    QCOMPARE(QString::fromStdString(report.directory),
             inWorkingDirectory ? workingDirectory : QDir::currentPath());
    const QStringList environment = texts(report.environment);
    if (explicitEnvironment)
        QCOMPARE(environment, expectedEnvironment); // in key order, nothing else
    else
        QVERIFY(environment.contains("BASICS_FROM_PARENT=inherited"));
}

void tst_WProcess::refusedInput_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("workingDirectory");
    QTest::addColumn<QString>("variable");

    const QString nul = QString("a") + QChar(0) + "b";
    QTest::newRow("NUL in the program") << nul << QStringList() << QString() << QString();
    QTest::newRow("NUL in an argument") << reporter() << QStringList{"x", nul} << QString() << QString();
    QTest::newRow("NUL in the directory") << reporter() << QStringList() << nul << QString();
    QTest::newRow("NUL in a variable") << reporter() << QStringList() << QString() << nul;
}

void tst_WProcess::refusedInput()
{
    QFETCH(QString, program);
    QFETCH(QStringList, arguments);
    QFETCH(QString, workingDirectory);
    QFETCH(QString, variable);

    CountingLauncher launcher;
    Platform::ScopedOverride<Platform::ProcessLauncher> scripted(launcher);
    WProcess process;
    if (!variable.isNull())
        process.environment.insert("V", variable);
    QVERIFY(!process.startDetached(program, arguments, workingDirectory));
    QCOMPARE(launcher.starts, 0);
}

QTEST_GUILESS_MAIN(tst_WProcess)
#include "tst_wprocess.moc"
