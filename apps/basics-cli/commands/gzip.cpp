// gzip IN OUT and gunzip IN OUT: the library's gzip framing on files. The
// output file is replaced only when the whole result could be made.

#include "cli.h"

#include <Basics/basics.h>

#include <QFile>
#include <QSaveFile>

namespace {

bool readFile(const QString &command, const QString &path, QByteArray *bytes, int *code)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *code = cli::failure(command, QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
        return false;
    }
    *bytes = file.readAll();
    return true;
}

int writeFile(const QString &command, const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return cli::failure(command, QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
    return cli::Success;
}

int runGzip(const QStringList &arguments)
{
    const QString command = QStringLiteral("gzip");
    if (arguments.size() != 2)
        return cli::usageError(command, QStringLiteral("expects IN and OUT"));
    QByteArray data;
    int code = cli::Success;
    if (!readFile(command, arguments.at(0), &data, &code))
        return code;
    const QByteArray packed = Basics::compressGzip(data);
    if (packed.isEmpty())
        return cli::failure(command, QStringLiteral("the gzip stream of %1 bytes does not fit into %2 bytes "
                                                    "(input too short or not compressible)")
                                         .arg(data.size())
                                         .arg(data.size() + data.size() / 100 + 12));
    return writeFile(command, arguments.at(1), packed);
}

int runGunzip(const QStringList &arguments)
{
    const QString command = QStringLiteral("gunzip");
    if (arguments.size() != 2)
        return cli::usageError(command, QStringLiteral("expects IN and OUT"));
    QByteArray packed;
    int code = cli::Success;
    if (!readFile(command, arguments.at(0), &packed, &code))
        return code;
    const QByteArray data = Basics::decompressGzip(packed);
    if (data.isEmpty())
        return cli::failure(command, QStringLiteral("%1 is not a complete gzip stream, or its data is empty "
                                                    "or longer than %2 bytes (twice the stream)")
                                         .arg(arguments.at(0))
                                         .arg(2 * qint64(packed.size())));
    return writeFile(command, arguments.at(1), data);
}

const cli::Registrar s_registerGzip(cli::Command{
    QStringLiteral("gzip"), QStringLiteral("gzip IN OUT"),
    QStringLiteral("Compress IN into the gzip file OUT"), runGzip});
const cli::Registrar s_registerGunzip(cli::Command{
    QStringLiteral("gunzip"), QStringLiteral("gunzip IN OUT"),
    QStringLiteral("Decompress the first gzip member of IN into OUT"), runGunzip});

} // namespace
