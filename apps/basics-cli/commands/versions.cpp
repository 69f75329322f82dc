// version-compare A B, file-version FILE, product-version FILE: versions as
// VersionComparator parses and compares them, and the version resource of
// Windows executables and DLLs, read on any platform.

#include "cli.h"

#include <VersionComparator/versioncomparator.h>

#include <Basics/basics.h>

#include <QFileInfo>


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

// A file's product version, or a failure message on stderr and an empty
// text when the file is missing or has no readable version resource.
QString productVersionOf(const QString &command, const QString &file)
{
    if (!QFileInfo(file).isFile()) {
        cli::failure(command, file + QStringLiteral(": no such file"));
        return QString();
    }
    const QString version = Basics::getProductVersion(file);
    if (version.isEmpty())
        cli::failure(command, file + QStringLiteral(": no readable version resource"));
    return version;
}

int runFileVersion(const QStringList &arguments)
{
    const QString command = QStringLiteral("file-version");
    if (arguments.size() != 1)
        return cli::usageError(command, QStringLiteral("expects one file"));
    // A file without a version resource would read as 0.0.0.0, like a real
    // version 0.0.0.0: tell the failure apart first.
    if (productVersionOf(command, arguments.first()).isEmpty())
        return cli::Failure;
    cli::out() << VersionComparator::getFileVersion(arguments.first()) << '\n';
    return cli::Success;
}

int runProductVersion(const QStringList &arguments)
{
    const QString command = QStringLiteral("product-version");
    if (arguments.size() != 1)
        return cli::usageError(command, QStringLiteral("expects one file"));
    const QString version = productVersionOf(command, arguments.first());
    if (version.isEmpty())
        return cli::Failure;
    cli::out() << version << '\n';
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
