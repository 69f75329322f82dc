// version-compare A B, file-version FILE, product-version FILE: versions as
// VersionComparator parses and compares them, and the version resource of
// Windows executables and DLLs, read on any platform.

#include "cli.h"

#include <VersionComparator/versioncomparator.h>

#include <Basics/basics.h>

#include <QFileInfo>
#include <QTemporaryDir>


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
// text when the file is missing, not a regular file, or has no readable
// version resource.
QString productVersionOf(const QString &command, const QString &file)
{
    const QFileInfo info(file);
    if (!info.isFile()) {
        cli::failure(command, file + (!info.exists() ? QStringLiteral(": no such file")
                                      : info.isDir() ? QStringLiteral(": is a directory")
                                                     : QStringLiteral(": not a regular file")));
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
    QTemporaryDir scratch;
    QString file;
    QString error;
    if (!cli::inputFile(arguments.first(), scratch.path(), &file, &error))
        return cli::failure(command, error);
    // A file without a version resource would read as 0.0.0.0, like a real
    // version 0.0.0.0: tell the failure apart first.
    if (productVersionOf(command, file).isEmpty())
        return cli::Failure;
    cli::out() << VersionComparator::getFileVersion(file) << '\n';
    return cli::Success;
}

int runProductVersion(const QStringList &arguments)
{
    const QString command = QStringLiteral("product-version");
    if (arguments.size() != 1)
        return cli::usageError(command, QStringLiteral("expects one file"));
    QTemporaryDir scratch;
    QString file;
    QString error;
    if (!cli::inputFile(arguments.first(), scratch.path(), &file, &error))
        return cli::failure(command, error);
    const QString version = productVersionOf(command, file);
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
    QStringLiteral("Print the file version of a Windows executable or DLL ('-': stdin)"), runFileVersion});
const cli::Registrar s_productVersion(cli::Command{
    QStringLiteral("product-version"), QStringLiteral("product-version FILE"),
    QStringLiteral("Print the product version of a Windows executable or DLL ('-': stdin)"),
    runProductVersion});

} // namespace
