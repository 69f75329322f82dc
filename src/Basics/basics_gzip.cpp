// Gzip framing (RFC 1952) of byte arrays with zlib, in one pass each way
// into an output buffer whose size follows from the input size. A result that
// does not fit is a failure, not a reason to grow the buffer.

#include "Basics/basics.h"

#include <zlib.h>

#include <cstring>
#include <limits>
#include <new>

namespace {

constexpr int GzipWindowBits = 15 + 16; // 32 KiB window, gzip wrapper only
constexpr int DefaultMemoryLevel = 8;

// The largest buffer a QByteArray can hold.
constexpr qint64 MaxBufferSize = std::numeric_limits<int>::max() - int(sizeof(QByteArrayData));

// An uninitialised buffer of \a size bytes, or an empty array when it cannot
// be had.
QByteArray allocateBuffer(qint64 size)
{
    if (size > MaxBufferSize)
        return QByteArray();
    try {
        return QByteArray(int(size), Qt::Uninitialized);
    } catch (const std::bad_alloc &) {
        return QByteArray();
    }
}

} // namespace

QByteArray BasicsPersistence::compressGzip(const QByteArray &data)
{
    const qint64 n = data.size();
    QByteArray buffer = allocateBuffer(n + n / 100 + 12);
    if (buffer.isEmpty())
        return QByteArray();

    z_stream stream;
    std::memset(&stream, 0, sizeof stream);
    if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, GzipWindowBits,
                     DefaultMemoryLevel, Z_DEFAULT_STRATEGY)
        != Z_OK)
        return QByteArray();
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.constData()));
    stream.avail_in = uInt(n);
    stream.next_out = reinterpret_cast<Bytef *>(buffer.data());
    stream.avail_out = uInt(buffer.size());
    const int result = deflate(&stream, Z_FINISH);
    const qint64 produced = qint64(stream.total_out);
    deflateEnd(&stream);
    if (result != Z_STREAM_END)
        return QByteArray();
    buffer.resize(int(produced));
    return buffer;
}

QByteArray BasicsPersistence::decompressGzip(const QByteArray &data)
{
    const qint64 n = data.size();
    QByteArray buffer = allocateBuffer(2 * n);
    if (buffer.isEmpty())
        return QByteArray();

    z_stream stream;
    std::memset(&stream, 0, sizeof stream);
    if (inflateInit2(&stream, GzipWindowBits) != Z_OK)
        return QByteArray();
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.constData()));
    stream.avail_in = uInt(n);
    stream.next_out = reinterpret_cast<Bytef *>(buffer.data());
    stream.avail_out = uInt(buffer.size());
    // Stream end means the first member was decoded completely and its CRC-32
    // and length were found correct; bytes after it are not looked at.
    const int result = inflate(&stream, Z_NO_FLUSH);
    const qint64 produced = qint64(stream.total_out);
    inflateEnd(&stream);
    if (result != Z_STREAM_END)
        return QByteArray();
    buffer.resize(int(produced));
    return buffer;
}
