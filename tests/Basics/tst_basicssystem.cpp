// Basics' system information: the OpenGL strings of a real context against
// glxinfo on the same X display, the loaded libraries against the kernel's
// map of this process, the signers of the project's signed PE files with
// the lines written on the real standard streams, and the Windows version
// rules with a store of our own (there is no Windows here).

#include <Basics/basics.h>

#include "Platform/serviceoverride.h"
#include "Platform/systeminfo.h"
#include "testsupport/messagecapture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryFile>
#include <QtTest>

#include <cstdio>
#include <map>

#include <fcntl.h>
#include <unistd.h>

namespace {

// A store of our own for the version rules; everything else answers
// nothing.
class ScriptedSystem : public Platform::SystemInfo
{
public:
    bool hasVersion = false;
    Platform::OsVersion version;
    int versionQueries = 0;
    std::map<std::string, std::string> values;
    Platform::ModuleListing listing = Platform::ModuleListing::Listed;

    std::string processorName() override { return std::string(); }
    bool osVersion(Platform::OsVersion *result) override
    {
        ++versionQueries;
        if (hasVersion)
            *result = version;
        return hasVersion;
    }
    bool buildValue(const std::string &name, std::string *value) override
    {
        const auto found = values.find(name);
        if (found == values.end())
            return false;
        *value = found->second;
        return true;
    }
    Platform::ModuleListing loadedModules(bool, std::vector<std::wstring> *paths) override
    {
        paths->clear();
        return listing;
    }
    std::string glString(Platform::GlString) override { return std::string(); }
    Platform::SignerLookup signerName(const std::wstring &, std::wstring *) override
    {
        return Platform::SignerLookup::NoSignature;
    }
    void writeLine(Platform::StandardStream, const std::wstring &) override {}
};

// Captures what a call writes to the process's standard output and error
// (file descriptors 1 and 2).
class StreamCapture
{
public:
    StreamCapture()
    {
        std::fflush(stdout);
        std::fflush(stderr);
        for (int i = 0; i < 2; ++i) {
            m_files[i].open();
            m_saved[i] = ::dup(i + 1);
            ::dup2(m_files[i].handle(), i + 1);
        }
    }
    ~StreamCapture() { restore(); }

    void restore()
    {
        if (m_saved[0] < 0)
            return;
        std::fflush(stdout);
        std::fflush(stderr);
        for (int i = 0; i < 2; ++i) {
            ::dup2(m_saved[i], i + 1);
            ::close(m_saved[i]);
            m_saved[i] = -1;
            m_files[i].seek(0);
            m_text[i] = QString::fromUtf8(m_files[i].readAll());
        }
    }
    QString output() const { return m_text[0]; }
    QString error() const { return m_text[1]; }

private:
    QTemporaryFile m_files[2];
    int m_saved[2] = {-1, -1};
    QString m_text[2];
};

QString signedFile(const QString &name)
{
    return QStringLiteral(BASICS_SIGNED_TESTDATA_DIR "/") + name;
}

// vendor, renderer, version as "glxinfo -B" reports them.
QStringList glxinfoStrings()
{
    QProcess glxinfo;
    glxinfo.start(QStringLiteral("glxinfo"), {QStringLiteral("-B")});
    if (!glxinfo.waitForFinished(30000) || glxinfo.exitCode() != 0)
        return {};
    const QString text = QString::fromLocal8Bit(glxinfo.readAllStandardOutput());
    QStringList strings;
    for (const char *key : {"OpenGL vendor string", "OpenGL renderer string",
                            "OpenGL version string"}) {
        const QRegularExpression line(QStringLiteral("^%1: (.*)$").arg(QLatin1String(key)),
                                      QRegularExpression::MultilineOption);
        strings << line.match(text).captured(1);
    }
    return strings;
}

} // namespace

class TestBasicsSystem : public QObject
{
    Q_OBJECT

private slots:
    void noWindowsHere();
    void windowsVersionIsKeptOnceRead();
    void windowsRelease_data();
    void windowsRelease();
    void hardwareInfoWithoutContext();
    void hardwareInfoOfAnOffscreenContext();
    void loadedLibrariesAsTheKernelMapsThem();
    void moduleListingFailures();
    void signers_data();
    void signers();
};

void TestBasicsSystem::noWindowsHere()
{
    QCOMPARE(Basics::getWindowsVersion(), QString());
    QCOMPARE(Basics::getWindowsVersion(), QString());
    QCOMPARE(Basics::getWindowsVersionEx(),
             qMakePair(QStringLiteral("not detectable"), QStringLiteral("not detectable")));
}

void TestBasicsSystem::windowsVersionIsKeptOnceRead()
{
    ScriptedSystem system;
    Platform::ScopedOverride<Platform::SystemInfo> scope(system);
    // Without the entry point every call asks again.
    QCOMPARE(Basics::getWindowsVersion(), QString());
    QCOMPARE(Basics::getWindowsVersion(), QString());
    QCOMPARE(system.versionQueries, 2);

    system.hasVersion = true;
    system.version = {10, 0, 4294967295u};
    QCOMPARE(Basics::getWindowsVersion(), QStringLiteral("10.0.4294967295"));
    system.version = {6, 1, 7601};
    QCOMPARE(Basics::getWindowsVersion(), QStringLiteral("10.0.4294967295"));
    QCOMPARE(system.versionQueries, 3);
}

void TestBasicsSystem::windowsRelease_data()
{
    QTest::addColumn<QStringList>("store"); // CurrentBuild, then UBR; "-" for absent
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("build");

    const QString none = QStringLiteral("not detectable");
    QTest::newRow("22H2 with update") << QStringList{"19045", "3803"} << "Windows 10 22H2"
                                      << "19045.3803";
    QTest::newRow("server build shares the name") << QStringList{"17763", "-"}
                                                  << "Windows 10 1809" << "";
    QTest::newRow("between two builds") << QStringList{"19046", "1"} << "unknown" << "19046.1";
    QTest::newRow("no build number") << QStringList{"-", "3803"} << none << none;
    QTest::newRow("not a number") << QStringList{"build", "-"} << "unknown" << "";
    QTest::newRow("zero") << QStringList{"0", "0"} << "unknown" << "0.0";
    QTest::newRow("Wine's default") << QStringList{"7601", "-"} << "Windows 7" << "";
    QTest::newRow("Wine as win10") << QStringList{"18362", "-"} << "Windows 10 1903" << "";
    QTest::newRow("oldest") << QStringList{"1381", "-"} << "Windows NT 4.0" << "";
    QTest::newRow("XP 64-bit") << QStringList{"3790", "-"} << "Windows XP" << "";
    QTest::newRow("XP media center") << QStringList{"2710", "-"} << "Windows XP" << "";
    QTest::newRow("2008") << QStringList{"6003", "-"} << "Windows Server 2008" << "";
    QTest::newRow("server 23H2") << QStringList{"25398", "2"} << "Windows Server 23H2" << "25398.2";
    QTest::newRow("newest") << QStringList{"26100", "2605"} << "Windows 11 24H2" << "26100.2605";
    QTest::newRow("after the newest") << QStringList{"26101", "-"} << "unknown" << "";
}

void TestBasicsSystem::windowsRelease()
{
    QFETCH(QStringList, store);
    QFETCH(QString, name);
    QFETCH(QString, build);
    ScriptedSystem system;
    if (store.at(0) != QLatin1String("-"))
        system.values["CurrentBuild"] = store.at(0).toStdString();
    if (store.at(1) != QLatin1String("-"))
        system.values["UBR"] = store.at(1).toStdString();
    Platform::ScopedOverride<Platform::SystemInfo> scope(system);
    QCOMPARE(Basics::getWindowsVersionEx(), qMakePair(name, build));
}

void TestBasicsSystem::hardwareInfoWithoutContext()
{
    QVERIFY(!QOpenGLContext::currentContext());
    const QString info = Basics::getHardwareInfo();
    const QRegularExpression layout(
        QStringLiteral("^CPU: [^\\n]* \\(([1-9][0-9]*) logical cores\\)\\nOpenGL:  \\|  \\| \\n$"));
    QVERIFY2(layout.match(info).hasMatch(), qPrintable(info));
}

void TestBasicsSystem::hardwareInfoOfAnOffscreenContext()
{
    if (qgetenv("DISPLAY").isEmpty() || QGuiApplication::platformName() != QLatin1String("xcb"))
        QSKIP("needs the desktop session's X display");
    const QStringList expected = glxinfoStrings();
    QCOMPARE(expected.size(), 3);
    QVERIFY2(!expected.contains(QString()), qPrintable(expected.join('|')));

    QOffscreenSurface surface;
    surface.create();
    QOpenGLContext context;
    QVERIFY(context.create());
    QVERIFY(context.makeCurrent(&surface));
    const QString info = Basics::getHardwareInfo();
    context.doneCurrent();
    const QString openGl = info.section(QLatin1Char('\n'), 1, 1);
    QCOMPARE(openGl, QStringLiteral("OpenGL: ") + expected.join(QStringLiteral(" | ")));
}

void TestBasicsSystem::loadedLibrariesAsTheKernelMapsThem()
{
    // Every shared object file with code mapped into this process, by its
    // real path.
    QFile maps(QStringLiteral("/proc/self/maps"));
    QVERIFY(maps.open(QIODevice::ReadOnly | QIODevice::Text));
    QSet<QString> mapped;
    const QRegularExpression soName(QStringLiteral("\\.so(\\.[0-9]+)*$"));
    for (const QByteArray &line : maps.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() >= 6 && fields.at(1).contains('x') && fields.at(5).startsWith('/')) {
            const QString path = QString::fromUtf8(fields.at(5));
            if (soName.match(QFileInfo(path).fileName()).hasMatch())
                mapped << path;
        }
    }
    QVERIFY(mapped.size() > 5);

    const QStringList libraries = Basics::getLoadedDlls(false);
    QSet<QString> listed;
    for (const QString &path : libraries)
        listed << QFileInfo(path).canonicalFilePath();
    QCOMPARE(listed, mapped);
    QStringList sorted = libraries;
    std::sort(sorted.begin(), sorted.end());
    QCOMPARE(libraries, sorted);

    const QString program = QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath();
    QVERIFY(!listed.contains(program));
    const QStringList all = Basics::getLoadedDlls(true);
    QVERIFY(all.contains(program));
    QCOMPARE(all.size(), libraries.size() + 1);
}

void TestBasicsSystem::moduleListingFailures()
{
    ScriptedSystem system;
    Platform::ScopedOverride<Platform::SystemInfo> scope(system);
    MessageCapture capture;
    system.listing = Platform::ModuleListing::NoProcess;
    QVERIFY(Basics::getLoadedDlls(true).isEmpty());
    QVERIFY(capture.texts().isEmpty());
    system.listing = Platform::ModuleListing::EnumerationFailed;
    QVERIFY(Basics::getLoadedDlls(false).isEmpty());
    QCOMPARE(capture.texts(), QStringList{QStringLiteral("Fehler beim Auflisten der Module.")});
}

void TestBasicsSystem::signers_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("signer");
    QTest::addColumn<QString>("message"); // the step's line before the common one

    const QString noSignature = QStringLiteral("Fehler beim Abrufen der Signaturinformationen.");
    QTest::newRow("leaf first") << signedFile("leaf-first.exe")
                                << QString::fromUtf8("Linsenschleiferei M\xc3\xbcller") << "";
    QTest::newRow("issuer first") << signedFile("issuer-first.exe")
                                  << "Precision Optics Release Signing" << "";
    QTest::newRow("PE32") << signedFile("leaf-first-pe32.dll")
                          << QString::fromUtf8("Linsenschleiferei M\xc3\xbcller") << "";
    QTest::newRow("no common name") << signedFile("no-cn.exe") << "Abteilung Linsen" << "";
    QTest::newRow("unsigned") << signedFile("unsigned.exe") << "" << noSignature;
    QTest::newRow("certificate missing") << signedFile("no-certificate.exe") << ""
                                         << "Kein Zertifikat gefunden.";
    QTest::newRow("no name") << signedFile("no-name.exe") << ""
                             << "Signaturgebername konnte nicht abgerufen werden.";
    QTest::newRow("corrupted") << signedFile("corrupted.exe") << "" << noSignature;
    QTest::newRow("missing file") << signedFile("missing.exe") << "" << noSignature;
    QTest::newRow("directory") << QStringLiteral(BASICS_SIGNED_TESTDATA_DIR) << "" << noSignature;
    QTest::newRow("empty path") << QString() << "" << noSignature;
}

void TestBasicsSystem::signers()
{
    QFETCH(QString, file);
    QFETCH(QString, signer);
    QFETCH(QString, message);
    StreamCapture capture;
    const QString result = Basics::getSignature(file);
    capture.restore();
    QCOMPARE(result, signer);
    if (signer.isEmpty()) {
        QCOMPARE(capture.output(), QString());
        QCOMPARE(capture.error(),
                 message + QStringLiteral("\nFehler beim Abrufen des Signaturgebers.\n"));
    } else {
        QCOMPARE(capture.output(), QStringLiteral("Signaturgeber: ") + signer + '\n');
        QCOMPARE(capture.error(), QString());
    }
}

QTEST_MAIN(TestBasicsSystem)
#include "tst_basicssystem.moc"
