// Gzip framing (RFC 1952) of byte arrays with zlib.
//
// Compression makes one pass into one buffer of zlib's own bound for the
// parameters used, so every input fits. Decompression decodes the first
// member whatever its ratio: the output starts at twice the input and
// doubles only when real output has filled it, never on a size the stream
// claims, up to MaxGzipOutput, beyond which the data counts as a
// decompression bomb.

#include "Basics/basics.h"

#include <zlib.h>

#include <cstring>
#include <limits>
#include <new>

namespace {

constexpr int GzipWindowBits = 15 + 16; // 32 KiB window, gzip wrapper only
constexpr int DefaultMemoryLevel = 8;

// The most bytes decompressGzip returns: 1 GiB.
constexpr qint64 MaxGzipOutput = qint64(1) << 30;

// The largest buffer a QByteArray can hold.
constexpr qint64 MaxBufferSize = std::numeric_limits<int>::max() - int(sizeof(QByteArrayData));

// Resizes \a buffer to \a size bytes (contents kept); false when it cannot be
// had.
bool resizeBuffer(QByteArray &buffer, qint64 size)
{
    if (size > MaxBufferSize)
        return false;
    try {
        buffer.resize(int(size));
    } catch (const std::bad_alloc &) {
        return false;
    }
    return true;
}

} // namespace

QByteArray BasicsPersistence::compressGzip(const QByteArray &data)
{
    z_stream stream;
    std::memset(&stream, 0, sizeof stream);
    if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, GzipWindowBits,
                     DefaultMemoryLevel, Z_DEFAULT_STRATEGY)
        != Z_OK)
        return QByteArray();
    // zlib's bound for these parameters holds the whole stream, wrapper and
    // stored blocks included, for any input.
    QByteArray buffer;
    if (!resizeBuffer(buffer, qint64(deflateBound(&stream, uLong(data.size()))))) {
        deflateEnd(&stream);
        return QByteArray();
    }
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.constData()));
    stream.avail_in = uInt(data.size());
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
    z_stream stream;
    std::memset(&stream, 0, sizeof stream);
    if (inflateInit2(&stream, GzipWindowBits) != Z_OK)
        return QByteArray();
    QByteArray buffer;
    if (!resizeBuffer(buffer, qBound(qint64(64), 2 * qint64(data.size()), MaxGzipOutput + 1))) {
        inflateEnd(&stream);
        return QByteArray();
    }
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.constData()));
    stream.avail_in = uInt(data.size());
    stream.next_out = reinterpret_cast<Bytef *>(buffer.data());
    stream.avail_out = uInt(buffer.size());
    bool complete = false;
    for (;;) {
        // Stream end means the first member was decoded completely and its
        // CRC-32 and length were found correct; bytes after it are not
        // looked at.
        const int result = inflate(&stream, Z_NO_FLUSH);
        if (result == Z_STREAM_END) {
            complete = true;
            break;
        }
        if (result != Z_OK && result != Z_BUF_ERROR)
            break; // not gzip, corrupt, bad CRC or length
        if (stream.avail_out > 0)
            break; // the input ended before the member did
        // The output is full of real data: double it, up to one byte more
        // than the limit, which tells a bomb.
        const qint64 produced = qint64(stream.total_out);
        if (produced > MaxGzipOutput
            || !resizeBuffer(buffer, qMin(2 * produced, MaxGzipOutput + 1)))
            break;
        stream.next_out = reinterpret_cast<Bytef *>(buffer.data()) + produced;
        stream.avail_out = uInt(buffer.size() - produced);
    }
    const qint64 produced = qint64(stream.total_out);
    inflateEnd(&stream);
    if (!complete || produced > MaxGzipOutput)
        return QByteArray();
    buffer.resize(int(produced));
    return buffer;
}
