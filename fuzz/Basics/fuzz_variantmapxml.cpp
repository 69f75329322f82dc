// Arbitrary file content for readVariantMapFromXml: never a crash, the map
// untouched on failure, and whatever was read writes and reads back to the
// same file.

#include <Basics/basics.h>

#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

namespace {

const QString &scratchPath(const char *name)
{
    static QTemporaryDir dir;
    static QString paths[2] = {dir.filePath(QStringLiteral("in.xml")),
                               dir.filePath(QStringLiteral("out.xml"))};
    return name[0] == 'i' ? paths[0] : paths[1];
}

QByteArray contents(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        std::abort();
    return file.readAll();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString &in = scratchPath("in");
    const QString &out = scratchPath("out");
    {
        QFile file(in);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            std::abort();
        file.write(reinterpret_cast<const char *>(data), qint64(size));
    }

    const QVariantMap sentinel{{QStringLiteral("sentinel"), 1}};
    QVariantMap map = sentinel;
    QString error;
    if (!Basics::readVariantMapFromXml(in, &map, &error)) {
        if (map != sentinel || error.isEmpty())
            std::abort();
        return 0;
    }

    // Reading normalises (types, Base64, numbers); from then on a write and a
    // read must be exact. The one write that may fail is of a text XML cannot
    // hold, which a file in another declared encoding can decode to (UTF-7
    // gives unpaired surrogates); the writer must then refuse it cleanly.
    if (!Basics::writeVariantMapToXml(out, map, &error)) {
        if (error != QLatin1String("Fehler beim Schreiben des XML-Streams."))
            std::abort();
        return 0;
    }
    const QByteArray first = contents(out);
    QVariantMap again;
    if (!Basics::readVariantMapFromXml(out, &again, &error))
        std::abort();
    if (!Basics::writeVariantMapToXml(out, again, &error) || contents(out) != first)
        std::abort();
    return 0;
}
