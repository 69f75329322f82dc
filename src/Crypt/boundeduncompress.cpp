#include "Crypt/boundeduncompress_p.h"

#include <QtEndian>

#include <zlib.h>

#include <algorithm>

namespace CryptKernels {

namespace {

// Ordinary data compresses by less than 16:1, so its claimed length is
// usually allocated at once; more is allocated only as it is inflated.
constexpr qint64 s_trustedRatio = 16;
constexpr qint64 s_trustedSlack = 64 * 1024;
// The toolkit's byte arrays hold at most this many bytes.
constexpr qint64 s_maximumArray = 0x7fffffff - 32;

} // namespace

qint64 initialInflateCapacity(qint64 claimed, qint64 streamSize)
{
    return std::max<qint64>(1, std::min(claimed, streamSize * s_trustedRatio + s_trustedSlack));
}

bool boundedUncompress(const QByteArray &compressed, QByteArray *out)
{
    out->clear();
    if (compressed.size() < 4)
        return false;
    const uchar *bytes = reinterpret_cast<const uchar *>(compressed.constData());
    const qint64 claimed = qFromBigEndian<quint32>(bytes);
    if (compressed.size() == 4)
        return claimed == 0; // qCompress of nothing may be just the length
    if (claimed >= s_maximumArray)
        return false;

    const qint64 streamSize = compressed.size() - 4;
    qint64 capacity = initialInflateCapacity(claimed, streamSize);
    QByteArray buffer(int(capacity), Qt::Uninitialized);

    z_stream stream = {};
    if (inflateInit(&stream) != Z_OK)
        return false;
    stream.next_in = const_cast<Bytef *>(bytes + 4);
    stream.avail_in = uInt(streamSize);
    qint64 produced = 0;
    int status = Z_OK;
    for (;;) {
        stream.next_out = reinterpret_cast<Bytef *>(buffer.data()) + produced;
        stream.avail_out = uInt(capacity - produced);
        status = inflate(&stream, Z_NO_FLUSH);
        produced = capacity - stream.avail_out;
        if (status == Z_STREAM_END)
            break;
        if (status != Z_OK && status != Z_BUF_ERROR)
            break; // damaged stream, or a preset dictionary it cannot have
        if (stream.avail_out > 0) {
            if (stream.avail_in == 0 || status == Z_BUF_ERROR) {
                status = Z_DATA_ERROR; // the stream ends too early
                break;
            }
            continue;
        }
        if (capacity >= s_maximumArray) {
            status = Z_MEM_ERROR;
            break;
        }
        // The claimed length was too small: grow with the data.
        capacity = std::min(s_maximumArray, capacity * 2);
        buffer.resize(int(capacity));
    }
    inflateEnd(&stream);
    if (status != Z_STREAM_END)
        return false;
    buffer.resize(int(produced));
    *out = buffer;
    return true;
}

} // namespace CryptKernels
