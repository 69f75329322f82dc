// Basics' system information: loaded libraries against the kernel's map, and
// the Windows version rules on a scripted store.

#include <Basics/basics.h>

#include "Platform/serviceoverride.h"
#include "Platform/systeminfo.h"
#include "testsupport/messagecapture.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QtTest>

#include <map>

namespace {

// A store of our own for the version rules; everything else answers
// nothing.
struct ScriptedSystem : Platform::SystemInfo
{
    bool hasVersion = false;
    Platform::OsVersion version;
    int versionQueries = 0;
    std::map<std::string, std::string> values;
    Platform::ModuleListing listing = Platform::ModuleListing::Listed;

    bool osVersion(Platform::OsVersion *result) override
    {
        ++versionQueries;
        *result = version;
        return hasVersion;
    }
    bool buildValue(const std::string &name, std::string *value) override
    {
        *value = values.count(name) ? values[name] : std::string();
        return values.count(name) != 0;
    }
    Platform::ModuleListing loadedModules(bool, std::vector<std::wstring> *) override { return listing; }
    std::string processorName() override { return {}; }
    std::string glString(Platform::GlString) override { return {}; }
    Platform::SignerLookup signerName(const std::wstring &, std::wstring *) override { return Platform::SignerLookup::NoSignature; }
    void writeLine(Platform::StandardStream, const std::wstring &) override {}
};

} // namespace

class TestBasicsSystem : public QObject
{
    Q_OBJECT

private slots:
    void windowsVersionIsKeptOnceRead()
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

    void windowsRelease_data()
    {
        QTest::addColumn<QString>("build"); // "-" for absent
        QTest::addColumn<QString>("update");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("fullBuild");

        const QString none = QStringLiteral("not detectable");
        QTest::newRow("22H2 with update") << "19045" << "3803" << "Windows 10 22H2" << "19045.3803";
        QTest::newRow("server build shares the name") << "17763" << "-" << "Windows 10 1809" << "";
        QTest::newRow("between two builds") << "19046" << "1" << "unknown" << "19046.1";
        QTest::newRow("no build number") << "-" << "3803" << none << none;
        QTest::newRow("not a number") << "build" << "-" << "unknown" << "";
        QTest::newRow("newest") << "26100" << "2605" << "Windows 11 24H2" << "26100.2605";
        QTest::newRow("after the newest") << "26101" << "-" << "unknown" << "";
    }

    void windowsRelease()
    {
        QFETCH(QString, build);
        QFETCH(QString, update);
        QFETCH(QString, name);
        QFETCH(QString, fullBuild);
        ScriptedSystem system;
        if (build != "-")
            system.values["CurrentBuild"] = build.toStdString();
        if (update != "-")
            system.values["UBR"] = update.toStdString();
        Platform::ScopedOverride<Platform::SystemInfo> scope(system);
        QCOMPARE(Basics::getWindowsVersionEx(), qMakePair(name, fullBuild));
    }

    void loadedLibrariesAsTheKernelMapsThem()
    {
        // Every shared object file with code mapped into this process, by its
        // real path.
        QFile maps(QStringLiteral("/proc/self/maps"));
        QVERIFY(maps.open(QIODevice::ReadOnly | QIODevice::Text));
        QSet<QString> mapped, listed;
        const QRegularExpression soName(QStringLiteral("\\.so(\\.[0-9]+)*$"));
        for (const QByteArray &line : maps.readAll().split('\n')) {
            const QList<QByteArray> fields = line.simplified().split(' ');
            if (fields.size() >= 6 && fields.at(1).contains('x') && fields.at(5).startsWith('/')
                && soName.match(QFileInfo(QString::fromUtf8(fields.at(5))).fileName()).hasMatch())
                mapped << QString::fromUtf8(fields.at(5));
        }
        QVERIFY(mapped.size() > 5);

        const QStringList libraries = Basics::getLoadedDlls(false);
        for (const QString &path : libraries)
            listed << QFileInfo(path).canonicalFilePath();
        QCOMPARE(listed, mapped);
        QVERIFY(std::is_sorted(libraries.begin(), libraries.end()));
        const QString program = QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath();
        QVERIFY(!listed.contains(program));
        const QStringList all = Basics::getLoadedDlls(true);
        QVERIFY(all.contains(program));
        QCOMPARE(all.size(), libraries.size() + 1);
    }

    void moduleListingFailures()
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
};

QTEST_MAIN(TestBasicsSystem)
#include "tst_basicssystem.moc"
