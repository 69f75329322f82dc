// version-compare A B, file-version FILE, product-version FILE: versions as
// VersionComparator parses and compares them, and the version resource of
// Windows executables and DLLs, read on any platform.

#include "cli.h"

#include <VersionComparator/versioncomparator.h>

#include "Platform/versionresources.h"

#include <QFileInfo>

#include <vector>

namespace {

int runVersionCompare(const QStringList &arguments)
{
    const QString command = QStringLiteral("version-compare");
    if (arguments.size() != 2)
        return cli::usageError(command, QStringLiteral("expects two versions"));
    static const char *const names[] = {"Less", "Equal", "Greater", "Invalid"};
    const int result = VersionComparator::compare(arguments.at(0), arguments.at(1));
    cli::out() << names[result] << '\n';
    return cli::Success;
}

// The fixed version record of FILE, or a failure message on stderr.
bool readFixedInfo(const QString &command, const QString &file, Platform::FixedFileInfo *info)
{
    if (!QFileInfo(file).isFile()) {
        cli::failure(command, file + QStringLiteral(": no such file"));
        return false;
    }
    Platform::VersionResources &resources = Platform::VersionResources::instance();
    const std::wstring path = file.toStdWString();
    const std::uint32_t size = resources.blockSize(path);
    std::vector<unsigned char> block(size);
    if (size == 0 || !resources.readBlock(path, size, block.data())
        || !resources.fixedFileInfo(block.data(), size, info)) {
        cli::failure(command, file + QStringLiteral(": no readable version resource"));
        return false;
    }
    return true;
}

QString dotted(std::uint32_t mostSignificant, std::uint32_t leastSignificant)
{
    return QStringLiteral("%1.%2.%3.%4")
        .arg(mostSignificant >> 16)
        .arg(mostSignificant & 0xFFFFu)
        .arg(leastSignificant >> 16)
        .arg(leastSignificant & 0xFFFFu);
}

int runFileVersion(const QStringList &arguments)
{
    const QString command = QStringLiteral("file-version");
    if (arguments.size() != 1)
        return cli::usageError(command, QStringLiteral("expects one file"));
    Platform::FixedFileInfo info;
    if (!readFixedInfo(command, arguments.first(), &info))
        return cli::Failure;
    // The library's own reading, which a real 0.0.0.0 shares with failures.
    cli::out() << VersionComparator::getFileVersion(arguments.first()) << '\n';
    return cli::Success;
}

int runProductVersion(const QStringList &arguments)
{
    const QString command = QStringLiteral("product-version");
    if (arguments.size() != 1)
        return cli::usageError(command, QStringLiteral("expects one file"));
    Platform::FixedFileInfo info;
    if (!readFixedInfo(command, arguments.first(), &info))
        return cli::Failure;
    cli::out() << dotted(info.productVersionMS, info.productVersionLS) << '\n';
    return cli::Success;
}

const cli::Registrar s_versionCompare(cli::Command{
    QStringLiteral("version-compare"), QStringLiteral("version-compare A B"),
    QStringLiteral("Compare two dotted versions: prints Less, Equal, Greater or Invalid"),
    runVersionCompare});
const cli::Registrar s_fileVersion(cli::Command{
    QStringLiteral("file-version"), QStringLiteral("file-version FILE"),
    QStringLiteral("Print the file version of a Windows executable or DLL"), runFileVersion});
const cli::Registrar s_productVersion(cli::Command{
    QStringLiteral("product-version"), QStringLiteral("product-version FILE"),
    QStringLiteral("Print the product version of a Windows executable or DLL"),
    runProductVersion});

} // namespace
