// VersionComparator: the parsing rules, field-by-field comparison, and file
// versions read from the PE test files (tests/Platform/pedata) and through a
// scripted platform service.

#include <Basics/basics.h>
#include <VersionComparator/versioncomparator.h>

#include "Platform/serviceoverride.h"
#include "Platform/versionresources.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <vector>

using Fields = std::vector<long long>;
Q_DECLARE_METATYPE(Fields)

namespace {

QString dataFile(const QString &name)
{
    return QStringLiteral(BASICS_PE_TESTDATA_DIR "/") + name;
}

// Records what VersionComparator asks of the system and answers from a
// script.
class ScriptedResources : public Platform::VersionResources
{
public:
    std::vector<std::uint32_t> capacities;
    std::vector<std::wstring> askedPaths;
    std::wstring programPath = L"C:\\Tools\\tool.exe";
    std::uint32_t size = 64;
    bool readWorks = true;
    bool recordFound = true;
    int utf8Result = -1; // -1: convert ASCII
    Platform::FixedFileInfo record;

    std::uint32_t blockSize(const std::wstring &path) override
    {
        askedPaths.push_back(path);
        return size;
    }
    bool readBlock(const std::wstring &, std::uint32_t, void *) override { return readWorks; }
    bool fixedFileInfo(const void *, std::uint32_t, Platform::FixedFileInfo *info) override
    {
        *info = record;
        return recordFound;
    }
    std::uint32_t executablePath(wchar_t *buffer, std::uint32_t capacity) override
    {
        capacities.push_back(capacity);
        if (programPath.size() >= capacity) {
            programPath.copy(buffer, capacity);
            return capacity;
        }
        programPath.copy(buffer, programPath.size());
        return std::uint32_t(programPath.size());
    }
    int utf8ToWide(const char *text, wchar_t *target, int capacity) override
    {
        const std::string ascii(text);
        if (utf8Result >= 0)
            return utf8Result;
        const int needed = int(ascii.size()) + 1;
        if (capacity == 0)
            return needed;
        for (std::size_t i = 0; i <= ascii.size(); ++i)
            target[i] = wchar_t(ascii.c_str()[i]);
        return needed;
    }
};

} // namespace

class TestVersionComparator : public QObject
{
    Q_OBJECT

private slots:
    void parsing_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<Fields>("fields");

        QTest::newRow("four fields") << QByteArray("1.2.3.4") << true << Fields{1, 2, 3, 4};
        QTest::newRow("one field") << QByteArray("7") << true << Fields{7};
        QTest::newRow("final dot") << QByteArray("1.2.") << true << Fields{1, 2};
        QTest::newRow("blank before a field") << QByteArray("1. 2") << true << Fields{1, 2};
        QTest::newRow("tab and newline before") << QByteArray("\t1.\n2") << true << Fields{1, 2};
        QTest::newRow("plus sign") << QByteArray("+3") << true << Fields{3};
        QTest::newRow("minus sign") << QByteArray("1.-1") << true << Fields{1, -1};
        QTest::newRow("leading zeros") << QByteArray("01.007") << true << Fields{1, 7};
        QTest::newRow("largest field") << QByteArray("9223372036854775807") << true
                                       << Fields{9223372036854775807LL};
        QTest::newRow("smallest field") << QByteArray("-9223372036854775808") << true
                                        << Fields{-9223372036854775807LL - 1};

        QTest::newRow("empty") << QByteArray("") << false << Fields{};
        QTest::newRow("only a dot") << QByteArray(".") << false << Fields{};
        QTest::newRow("two dots") << QByteArray("1..2") << false << Fields{1};
        QTest::newRow("two final dots") << QByteArray("1.2..") << false << Fields{1, 2};
        QTest::newRow("leading dot") << QByteArray(".1") << false << Fields{};
        QTest::newRow("trailing letter") << QByteArray("1.2a") << false << Fields{1};
        QTest::newRow("blank after a field") << QByteArray("1 .2") << false << Fields{};
        QTest::newRow("trailing blank") << QByteArray("1.2 ") << false << Fields{1};
        QTest::newRow("sign alone") << QByteArray("1.-") << false << Fields{1};
        QTest::newRow("blank field") << QByteArray("1. .2") << false << Fields{1};
        QTest::newRow("twenty nines") << QByteArray("1.99999999999999999999") << false
                                      << Fields{1};
        QTest::newRow("one beyond 64 bits") << QByteArray("9223372036854775808") << false
                                            << Fields{};
        QTest::newRow("hexadecimal") << QByteArray("0x10") << false << Fields{};
        QTest::newRow("embedded NUL") << QByteArray("1\0.2", 4) << false << Fields{};
    }
    void parsing()
    {
        QFETCH(QByteArray, text);
        QFETCH(bool, valid);
        QFETCH(Fields, fields);
        Fields parsed{42}; // emptied first
        QCOMPARE(VersionComparator::parseVersion(text.toStdString(), parsed), valid);
        QCOMPARE(parsed, fields);
    }

    void comparing_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::addColumn<int>("result");

        QTest::newRow("missing fields are 0") << "1.2.3" << "1.2.3.0" << 1;
        QTest::newRow("numeric, not textual") << "1.10" << "1.9" << 2;
        QTest::newRow("2 < 10") << "2" << "10" << 0;
        QTest::newRow("signed fields") << "1.-1" << "1.0" << 0;
        QTest::newRow("shorter is higher") << "1.3" << "1.2.9" << 2;
        QTest::newRow("missing against negative") << "1" << "1.0.-5" << 2;
        QTest::newRow("plus and blanks") << "+3. 4." << "3.4" << 1;
        QTest::newRow("64-bit extremes") << "-9223372036854775808" << "9223372036854775807" << 0;
        QTest::newRow("first invalid") << "1..2" << "1.2" << 3;
        QTest::newRow("second invalid") << "1.2" << "1.2a" << 3;
        QTest::newRow("both invalid") << "" << "" << 3;
        QTest::newRow("field beyond 64 bits") << "1.99999999999999999999" << "1" << 3;
        QTest::newRow("not Latin-1") << QString::fromUtf8("1.\xe4\xb8\xad") << "1" << 3;
        QTest::newRow("Latin-1 letter") << QString::fromUtf8("1.\xc3\xa4") << "1" << 3;
    }
    void comparing()
    {
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(int, result);
        QCOMPARE(int(VersionComparator::compare(first, second)), result);
        QCOMPARE(int(VersionComparator::compare(first.toStdString(), second.toStdString())),
                 first.toLatin1() == first.toUtf8() ? result : int(VersionComparator::Invalid));
        if (result != 3) {
            // Swapping the operands mirrors the result.
            QCOMPARE(int(VersionComparator::compare(second, first)), 2 - result);
        }
    }

    void enumerationValues()
    {
        QCOMPARE(int(VersionComparator::Less), 0);
        QCOMPARE(int(VersionComparator::Equal), 1);
        QCOMPARE(int(VersionComparator::Greater), 2);
        QCOMPARE(int(VersionComparator::Invalid), 3);
        QCOMPARE(VersionComparator::InvalidVersion, QStringLiteral("0.0.0.0"));
        QCOMPARE(VersionComparator::compare("1.2", "1.3"), VersionComparator::Less);
    }

    void fileVersionsOfPeFiles()
    {
        // File version, never the product version (4.0.65535.12 and 7.8.9.10).
        QCOMPARE(VersionComparator::getFileVersion(dataFile("versioned.exe")),
                 QStringLiteral("2.5.31.7"));
        QCOMPARE(VersionComparator::getFileVersion(dataFile("resources64.dll")),
                 QStringLiteral("65535.65534.1.0"));
        QCOMPARE(VersionComparator::getFileVersion(dataFile("resources32.dll")),
                 QStringLiteral("65535.65534.1.0"));
        QCOMPARE(VersionComparator::getFileVersion(dataFile("unversioned.exe")),
                 VersionComparator::InvalidVersion);
        QCOMPARE(VersionComparator::getFileVersion(dataFile("othername.dll")),
                 VersionComparator::InvalidVersion);

        // The same through every overload.
        const QString path = dataFile("versioned.exe");
        QCOMPARE(VersionComparator::getFileVersion(path.toStdWString()), QStringLiteral("2.5.31.7"));
        QCOMPARE(VersionComparator::getFileVersion(path.toStdString()), QStringLiteral("2.5.31.7"));
        QCOMPARE(VersionComparator::getFileVersion(path.toUtf8().constData()),
                 QStringLiteral("2.5.31.7"));
    }

    void productVersionsOfPeFiles()
    {
        // Basics::getProductVersion reads the same record, other fields.
        QCOMPARE(Basics::getProductVersion(dataFile("versioned.exe")),
                 QStringLiteral("4.0.65535.12"));
        QCOMPARE(Basics::getProductVersion(dataFile("resources64.dll")),
                 QStringLiteral("7.8.9.10"));
        QVERIFY(Basics::getProductVersion(dataFile("unversioned.exe")).isEmpty());
        QVERIFY(Basics::getProductVersion(dataFile("othername.dll")).isEmpty());
        QVERIFY(Basics::getProductVersion(dataFile("no-such-file.dll")).isNull());
        QVERIFY(Basics::getProductVersion(QString()).isNull());
    }

    void damagedAndMissingFiles()
    {
        const QDir damaged(dataFile("damaged"));
        const QStringList files = damaged.entryList({"*.bin"}, QDir::Files);
        QVERIFY(files.size() >= 32);
        for (const QString &file : files)
            QCOMPARE(VersionComparator::getFileVersion(damaged.filePath(file)),
                     VersionComparator::InvalidVersion);

        QTemporaryDir temp;
        QVERIFY(temp.isValid());
        QCOMPARE(VersionComparator::getFileVersion(QString()), VersionComparator::InvalidVersion);
        QCOMPARE(VersionComparator::getFileVersion(std::string()), VersionComparator::InvalidVersion);
        QCOMPARE(VersionComparator::getFileVersion(temp.path()), VersionComparator::InvalidVersion);
        QCOMPARE(VersionComparator::getFileVersion(temp.filePath("missing.exe")),
                 VersionComparator::InvalidVersion);
        QFile text(temp.filePath("notes.txt"));
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("MZ, but no PE file");
        text.close();
        QCOMPARE(VersionComparator::getFileVersion(text.fileName()),
                 VersionComparator::InvalidVersion);
        // Invalid UTF-8 becomes U+FFFD: no such file, no crash.
        QCOMPARE(VersionComparator::getFileVersion(std::string("\xff\xfe/x.exe")),
                 VersionComparator::InvalidVersion);
    }

    void pathsBeyondAscii()
    {
        QTemporaryDir temp;
        QVERIFY(temp.isValid());
        const QString name = temp.filePath(QString::fromUtf8("Linse \xc3\xa9\xe4\xb8\xad.exe"));
        QVERIFY(QFile::copy(dataFile("versioned.exe"), name));
        QCOMPARE(VersionComparator::getFileVersion(name), QStringLiteral("2.5.31.7"));
        QCOMPARE(VersionComparator::getFileVersion(name.toStdWString()), QStringLiteral("2.5.31.7"));
        QCOMPARE(VersionComparator::getFileVersion(name.toUtf8().toStdString()),
                 QStringLiteral("2.5.31.7"));
    }

    void runningProgram()
    {
#if defined(Q_OS_WIN)
        QVERIFY(!VersionComparator::getFileVersion().isEmpty());
#else
        // An ELF executable has no version resource.
        QCOMPARE(VersionComparator::getFileVersion(), VersionComparator::InvalidVersion);
#endif
    }

    void scriptedProgramPathGrowsTheBuffer()
    {
        ScriptedResources scripted;
        scripted.record.fileVersionMS = 0x00030004;
        scripted.record.fileVersionLS = 0xFFFF0000;
        Platform::ScopedOverride<Platform::VersionResources> scope(scripted);

        QCOMPARE(VersionComparator::getFileVersion(), QStringLiteral("3.4.65535.0"));
        QCOMPARE(scripted.capacities, std::vector<std::uint32_t>{260});
        QVERIFY(scripted.askedPaths.back() == scripted.programPath);

        // 300 characters: cut at 260, read whole at 520.
        scripted.capacities.clear();
        scripted.programPath = L"C:\\" + std::wstring(296, L'p') + L".exe";
        QCOMPARE(VersionComparator::getFileVersion(), QStringLiteral("3.4.65535.0"));
        QCOMPARE(scripted.capacities, (std::vector<std::uint32_t>{260, 520}));
        QVERIFY(scripted.askedPaths.back() == scripted.programPath);

        // Exactly the buffer size counts as cut.
        scripted.capacities.clear();
        scripted.programPath = std::wstring(260, L'q');
        VersionComparator::getFileVersion();
        QCOMPARE(scripted.capacities, (std::vector<std::uint32_t>{260, 520}));

        // Longer than any buffer: 260, 520, ..., 66560, then give up.
        scripted.capacities.clear();
        scripted.askedPaths.clear();
        scripted.programPath = std::wstring(70000, L'r');
        QCOMPARE(VersionComparator::getFileVersion(), VersionComparator::InvalidVersion);
        QCOMPARE(scripted.capacities,
                 (std::vector<std::uint32_t>{260, 520, 1040, 2080, 4160, 8320, 16640, 33280, 66560}));
        QVERIFY(scripted.askedPaths.empty());

        scripted.programPath.clear(); // the call fails
        QCOMPARE(VersionComparator::getFileVersion(), VersionComparator::InvalidVersion);
    }

    void scriptedFailuresGiveTheInvalidVersion()
    {
        ScriptedResources scripted;
        scripted.record.fileVersionMS = 0x00010002;
        scripted.record.fileVersionLS = 0x00030004;
        scripted.record.productVersionMS = 0x00090009;
        Platform::ScopedOverride<Platform::VersionResources> scope(scripted);
        QCOMPARE(VersionComparator::getFileVersion(QStringLiteral("a.exe")),
                 QStringLiteral("1.2.3.4"));

        scripted.readWorks = false;
        QCOMPARE(VersionComparator::getFileVersion(QStringLiteral("a.exe")),
                 VersionComparator::InvalidVersion);
        scripted.readWorks = true;
        scripted.recordFound = false;
        QCOMPARE(VersionComparator::getFileVersion(QStringLiteral("a.exe")),
                 VersionComparator::InvalidVersion);
        scripted.recordFound = true;
        scripted.size = 0;
        QCOMPARE(VersionComparator::getFileVersion(QStringLiteral("a.exe")),
                 VersionComparator::InvalidVersion);
        // An absurd size is not allocated.
        scripted.size = 0xFFFFFFFFu;
        QCOMPARE(VersionComparator::getFileVersion(QStringLiteral("a.exe")),
                 VersionComparator::InvalidVersion);

        // The UTF-8 overload: the converted path, without its terminator.
        scripted.size = 64;
        scripted.askedPaths.clear();
        QCOMPARE(VersionComparator::getFileVersion(std::string("b.dll")), QStringLiteral("1.2.3.4"));
        QVERIFY(scripted.askedPaths.back() == L"b.dll");
        scripted.utf8Result = 0;
        QCOMPARE(VersionComparator::getFileVersion(std::string("b.dll")),
                 VersionComparator::InvalidVersion);
    }
};

QTEST_GUILESS_MAIN(TestVersionComparator)
#include "tst_versioncomparator.moc"
