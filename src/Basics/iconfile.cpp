// Reading icon files: the structure walked and checked before anything is
// decoded (see iconfile_p.h).

#include "Basics/iconfile_p.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QSize>
#include <QString>
#include <QVector>

#include <algorithm>
#include <optional>

namespace {

// Big-endian reads over the file's bytes; every read checks what is left,
// and the first failure sticks.
class Cursor
{
public:
    explicit Cursor(const QByteArray &bytes) : m_bytes(bytes) {}

    bool ok() const { return m_ok; }
    qint64 remaining() const { return m_bytes.size() - m_position; }
    int position() const { return m_position; }
    void fail() { m_ok = false; }

    quint32 readUInt32()
    {
        if (!require(4))
            return 0;
        const auto *p = reinterpret_cast<const uchar *>(m_bytes.constData()) + m_position;
        m_position += 4;
        return quint32(p[0]) << 24 | quint32(p[1]) << 16 | quint32(p[2]) << 8 | quint32(p[3]);
    }

    qint32 readInt32() { return qint32(readUInt32()); }

    void skip(qint64 count)
    {
        if (require(count))
            m_position += int(count);
    }

    // The bytes from \a from up to the current position.
    QByteArray since(int from) const { return m_bytes.mid(from, m_position - from); }

    bool startsWith(const QByteArray &prefix) const
    {
        return remaining() >= prefix.size()
            && std::equal(prefix.begin(), prefix.end(), m_bytes.constData() + m_position);
    }

    // QString as the stream writes it: byte count (0xffffffff for a null
    // string), then UTF-16 big-endian.
    QString readString()
    {
        const quint32 byteCount = readUInt32();
        if (!m_ok || byteCount == 0xffffffffu)
            return QString();
        if (byteCount % 2 != 0 || !require(byteCount)) {
            m_ok = false;
            return QString();
        }
        const auto *p = reinterpret_cast<const uchar *>(m_bytes.constData()) + m_position;
        QString text(int(byteCount / 2), Qt::Uninitialized);
        for (int i = 0; i < text.size(); ++i)
            text[i] = QChar(ushort(p[2 * i] << 8 | p[2 * i + 1]));
        m_position += int(byteCount);
        return text;
    }

private:
    bool require(qint64 count)
    {
        if (count < 0 || count > remaining())
            m_ok = false;
        return m_ok;
    }

    const QByteArray &m_bytes;
    int m_position = 0;
    bool m_ok = true;
};

// One PNG stream, from its signature to the end of its IEND chunk, with the
// image size from its header. Chunk contents and checksums are left to the
// decoder.
struct PngStream
{
    QByteArray bytes;
    QSize size;
};

std::optional<PngStream> readPng(Cursor &cursor)
{
    static const QByteArray signature("\x89PNG\r\n\x1a\n", 8);
    const int start = cursor.position();
    if (!cursor.startsWith(signature))
        return std::nullopt;
    cursor.skip(signature.size());

    const quint32 headerLength = cursor.readUInt32();
    const quint32 headerType = cursor.readUInt32();
    const quint32 width = cursor.readUInt32();
    const quint32 height = cursor.readUInt32();
    cursor.skip(5 + 4); // rest of the header, checksum
    constexpr quint32 ihdr = 0x49484452, iend = 0x49454e44;
    const auto edge = quint32(BasicsIconFile::largestEdge);
    if (!cursor.ok() || headerLength != 13 || headerType != ihdr || width == 0 || height == 0
        || width > edge || height > edge)
        return std::nullopt;

    for (quint32 type = 0; cursor.ok() && type != iend;) {
        const quint32 length = cursor.readUInt32();
        type = cursor.readUInt32();
        if (length > 0x7fffffffu)
            cursor.fail();
        cursor.skip(qint64(length) + 4); // data, checksum
    }
    if (!cursor.ok())
        return std::nullopt;
    return PngStream{cursor.since(start), QSize(int(width), int(height))};
}

// Entries that name a file instead of holding an image are loaded from that
// file by the toolkit; only resources and regular files are let through.
bool isSafeReference(const QString &fileName)
{
    return fileName.isEmpty() || fileName.startsWith(QLatin1Char(':'))
        || QFileInfo(fileName).isFile();
}

QIcon readPixmapEngine(Cursor &cursor)
{
    // Smallest entry: image marker, null file name, size, mode, state.
    constexpr int smallestEntry = 4 + 4 + 8 + 4 + 4;
    const qint32 count = cursor.readInt32();
    if (!cursor.ok() || count <= 0 || count > cursor.remaining() / smallestEntry)
        return QIcon();

    QIcon icon;
    qint64 pixels = 0;
    for (qint32 i = 0; i < count; ++i) {
        std::optional<PngStream> png;
        if (cursor.readInt32() != 0) {
            png = readPng(cursor);
            if (!png)
                return QIcon();
            pixels += qint64(png->size.width()) * png->size.height();
            if (pixels > BasicsIconFile::largestPixelCount)
                return QIcon();
        }
        const QString fileName = cursor.readString();
        const qint32 width = cursor.readInt32();
        const qint32 height = cursor.readInt32();
        const quint32 mode = cursor.readUInt32();
        const quint32 state = cursor.readUInt32();
        if (!cursor.ok() || mode > QIcon::Selected || state > QIcon::Off)
            return QIcon();

        if (png) {
            QImage image;
            if (!image.loadFromData(png->bytes, "PNG") || image.size() != png->size)
                return QIcon();
            icon.addPixmap(QPixmap::fromImage(image), QIcon::Mode(mode), QIcon::State(state));
        } else {
            if (!isSafeReference(fileName))
                return QIcon();
            icon.addFile(fileName, QSize(width, height), QIcon::Mode(mode), QIcon::State(state));
        }
    }
    return icon;
}

} // namespace

namespace BasicsIconFile {

QIcon read(const QByteArray &bytes)
{
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return QIcon();
    Cursor cursor(bytes);
    const QString key = cursor.readString();
    if (!cursor.ok())
        return QIcon();
    if (key == QLatin1String("QPixmapIconEngine"))
        return readPixmapEngine(cursor);
    if (key == QLatin1String("QIconLoaderEngine")) {
        const QString name = cursor.readString();
        return cursor.ok() && !name.isEmpty() ? QIcon::fromTheme(name) : QIcon();
    }
    return QIcon();
}

} // namespace BasicsIconFile
