// Client of the installed package: versions, paths, formatting and the
// remembered dialog folder, used as a tool would use them, with the edge
// cases the documentation promises.

#include "clientcheck.h"

#include <BasicsDLL.h>
#include <Basics/basics.h>
#include <Output/mywarnings.h>
#include <VersionComparator/versioncomparator.h>

#include <QApplication>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>

#include <vector>

namespace {

QStringList s_lines;
void collect(QtMsgType type, const QMessageLogContext &, const QString &text)
{
    if (type == QtDebugMsg)
        s_lines << text;
}

void touch(const QString &path)
{
    QFile file(path);
    CLIENT_CHECK(file.open(QIODevice::WriteOnly));
    file.write("x");
}

void versions()
{
    using VC = VersionComparator;
    CLIENT_CHECK(VC::InvalidVersion == QLatin1String("0.0.0.0"));
    CLIENT_CHECK(VC::compare(std::string("1.2.3"), std::string("1.2.3.0")) == VC::Equal);
    CLIENT_CHECK(VC::compare(QStringLiteral("1.10"), QStringLiteral("1.9")) == VC::Greater);
    CLIENT_CHECK(VC::compare("2", "10") == VC::Less);
    CLIENT_CHECK(VC::compare("1.-1", "1.0") == VC::Less);
    CLIENT_CHECK(VC::compare("1.99999999999999999999", "1") == VC::Invalid);
    CLIENT_CHECK(VC::compare("1..2", "1.2") == VC::Invalid);

    std::vector<long long> fields;
    CLIENT_CHECK(VC::parseVersion("1.2.", fields) && fields == (std::vector<long long>{1, 2}));
    CLIENT_CHECK(VC::parseVersion("1. 2", fields) && fields == (std::vector<long long>{1, 2}));
    CLIENT_CHECK(VC::parseVersion("+3", fields) && fields == std::vector<long long>{3});
    CLIENT_CHECK(!VC::parseVersion("1 .2", fields));
    CLIENT_CHECK(!VC::parseVersion("1.2a", fields) && fields == std::vector<long long>{1});
    CLIENT_CHECK(!VC::parseVersion("", fields) && fields.empty());
    CLIENT_CHECK(!VC::parseVersion(".1", fields));

    CLIENT_CHECK(VC::getFileVersion(QStringLiteral("/no/such/file.exe")) == VC::InvalidVersion);
    CLIENT_CHECK(VC::getFileVersion(std::string()) == VC::InvalidVersion);
#if !defined(Q_OS_WIN)
    CLIENT_CHECK(VC::getFileVersion() == VC::InvalidVersion);
#endif
    // The project's PE test file, when this client runs inside the build tree.
    const QString peFile = QCoreApplication::applicationDirPath()
        + QStringLiteral("/../../../testdata/pe/versioned.exe");
    if (QFile::exists(peFile)) {
        CLIENT_CHECK(VC::getFileVersion(peFile) == QLatin1String("2.5.31.7"));
        CLIENT_CHECK(VC::getFileVersion(peFile.toStdWString()) == QLatin1String("2.5.31.7"));
    } else {
        std::printf("PE test file not found, its checks skipped\n");
    }
}

void paths()
{
    QTemporaryDir temp;
    CLIENT_CHECK(temp.isValid());
    const QDir root(temp.path());
    CLIENT_CHECK(root.mkpath("Data/sub") && root.mkpath("Database") && root.mkpath("outside"));
    touch(root.filePath("Data/sub/a.txt"));
    touch(root.filePath("Database/a.txt"));
    touch(root.filePath("outside/keep.txt"));

    const QString data = root.filePath("Data");
    CLIENT_CHECK(Basics::relativeFilePath(data, root.filePath("Data/sub/a.txt")) == "sub/a.txt");
    CLIENT_CHECK(Basics::relativeFilePath(data, root.filePath("Database/a.txt")) == "base/a.txt");
    CLIENT_CHECK(Basics::relativeFilePath(data, root.filePath("Data/none.txt")).isEmpty());
    CLIENT_CHECK(Basics::isDescendant(QDir(data), QFileInfo(root.filePath("Data/sub/a.txt"))));
    CLIENT_CHECK(!Basics::isDescendant(QDir(data), QFileInfo(data)));
    CLIENT_CHECK(!Basics::isDescendant(QDir(root.filePath("Data/sub")),
                                       QFileInfo(root.filePath("Database/a.txt"))));
    CLIENT_CHECK(Basics::toDir(QFileInfo(root.filePath("Data/sub/a.txt"))).absolutePath()
                 == QDir::currentPath());

    // One hidden file inside an inner folder: two failures, inner folder
    // first; a link to a folder outside the tree goes, its target stays.
    CLIENT_CHECK(root.mkpath("tree/inner"));
    touch(root.filePath("tree/inner/.hidden"));
    touch(root.filePath("tree/file.txt"));
    CLIENT_CHECK(QFile::link(root.filePath("outside"), root.filePath("tree/link")));
    const QString tree = QFileInfo(root.filePath("tree")).canonicalFilePath();
    s_lines.clear();
    const QtMessageHandler previous = qInstallMessageHandler(collect);
    const int failures = Basics::removeRecursively(QFileInfo(tree));
    CLIENT_CHECK(Basics::removeRecursively(QFileInfo(root.filePath("missing"))) == 0);
    qInstallMessageHandler(previous);
    CLIENT_CHECK(failures == 2);
    CLIENT_CHECK(s_lines.size() == 2);
    CLIENT_CHECK(s_lines.value(0).endsWith("FAILED RMDIR: \"" + tree + "/inner\" "));
    CLIENT_CHECK(s_lines.value(1).endsWith("FAILED RMDIR: \"" + tree + "\" "));
    CLIENT_CHECK(!QFileInfo::exists(tree + "/file.txt") && !QFileInfo(tree + "/link").isSymLink());
    CLIENT_CHECK(QFileInfo::exists(root.filePath("outside/keep.txt")));

    const QFont font;
    const QFontMetrics metrics(font);
    const QString path = QStringLiteral("/Projects/Optics/lens.dat");
    CLIENT_CHECK(Basics::compactPath(path, 100000, font) == path);
    CLIENT_CHECK(Basics::compactPath(path, metrics.horizontalAdvance("/Pro.../lens.dat"), font)
                 == "/Pro.../lens.dat");
    CLIENT_CHECK(Basics::compactPath(path, 0, font) == ".../l...");
    CLIENT_CHECK(Basics::compactPath(path, nullptr) == path);
    CLIENT_CHECK(!Basics::getApplicationFolder().endsWith('/'));
}

void formatting()
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    CLIENT_CHECK(Basics::toString(2.5, 3) == "2.5");
    CLIENT_CHECK(Basics::toString(2.0, 3) == "2");
    CLIENT_CHECK(Basics::toString(1234.5, 1) == "1,234.5");
    CLIENT_CHECK(Basics::toString(100, 0) == "100");
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    CLIENT_CHECK(Basics::toString(1234.5, 1) == "1.234,5");
    QLocale::setDefault(QLocale::c());
    const QString micro = QString::fromUtf8("\xc2\xb5");
    CLIENT_CHECK(Basics::toStringWithUnit(0.005, "mm") == "5 " + micro + "m");
    CLIENT_CHECK(Basics::toStringWithUnit(0.5, "W") == "500 mW");
    CLIENT_CHECK(Basics::toStringWithUnit(0, "mm") == "0 mm");
    CLIENT_CHECK(Basics::toStringWithUnit(-2, "mm") == "-2000 " + micro + "m");
    CLIENT_CHECK(Basics::toStringWithUnit(1e-7, "mm") == "0 " + micro + "m");

    CLIENT_CHECK(Basics::stripLeadingDigits("01_Lens") == "Lens");
    CLIENT_CHECK(Basics::stripLeadingDigits("Lens_01") == "Lens_01");
    CLIENT_CHECK(Basics::stripLeadingDigits("_Lens") == "_Lens");
    CLIENT_CHECK(Basics::stripLeadingDigits("12_").isEmpty());
    CLIENT_CHECK(Basics::stripLeadingDigits("1x_Lens") == "1x_Lens");
    CLIENT_CHECK(Basics::removeComment("a = 1 # note", QRegExp("#")) == "a = 1 ");
    CLIENT_CHECK(Basics::fuzzyStringCompare("flaw", "lawn") == 0.5);
    CLIENT_CHECK(Basics::fuzzyStringCompare("abc", "") == 0.0);
    CLIENT_CHECK(Basics::fuzzyStringCompare("", "") == 1.0);
}

void dialogFolder()
{
    CLIENT_CHECK(Basics::getLastDirectory().isNull());
    Basics::setLastDirectory(QStringLiteral("/work"));
    CLIENT_CHECK(Basics::getLastDirectory() == "/work");
}

} // namespace

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    versions();
    paths();
    formatting();
    dialogFolder();
    return CLIENT_RESULT();
}
