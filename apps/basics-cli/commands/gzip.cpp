// gzip IN OUT and gunzip IN OUT: gzip files of any size, streamed through
// zlib with the parameters of the library's gzip framing (level 6, window
// bits 31, memory level 8, default strategy). gunzip decodes every member of
// a file, as made by concatenation or parallel compressors, where the
// library's decompressGzip takes the first member only. "-" stands for
// standard input or output; OUT is replaced only when all went well.

#include "cli.h"

#include <zlib.h>

#include <cstring>
#include <vector>

namespace {

constexpr int ChunkSize = 1 << 18;
constexpr int GzipWindowBits = 15 + 16;

// Feeds IN through \a step (deflate or inflate on \a stream) into OUT.
class Pipe
{
public:
    Pipe(const QString &command, const QString &in, const QString &out)
        : m_command(command), m_inPath(in), m_outPath(out), m_inBuffer(ChunkSize), m_outBuffer(ChunkSize)
    {
    }

    int compress();
    int decompress();

private:
    bool open(int *code)
    {
        if (!m_in.open(m_inPath)) {
            *code = cli::failure(m_command, m_in.error());
            return false;
        }
        if (!m_out.open(m_outPath)) {
            *code = cli::failure(m_command, m_out.error());
            return false;
        }
        return true;
    }
    // Refills the stream's input when it is used up; false on a read error.
    bool refill(z_stream &stream)
    {
        if (stream.avail_in > 0 || m_atEnd)
            return true;
        const qint64 got = m_in.read(m_inBuffer.data(), ChunkSize);
        if (got < 0)
            return false;
        m_atEnd = got == 0;
        stream.next_in = reinterpret_cast<Bytef *>(m_inBuffer.data());
        stream.avail_in = uInt(got);
        return true;
    }
    // Writes what the codec produced into the output buffer.
    bool drain(z_stream &stream)
    {
        const qint64 produced = ChunkSize - qint64(stream.avail_out);
        stream.next_out = reinterpret_cast<Bytef *>(m_outBuffer.data());
        stream.avail_out = ChunkSize;
        return m_out.write(m_outBuffer.data(), produced);
    }
    int finish()
    {
        return m_out.commit() ? cli::Success : cli::failure(m_command, m_out.error());
    }

    QString m_command;
    QString m_inPath;
    QString m_outPath;
    cli::Input m_in;
    cli::Output m_out;
    std::vector<char> m_inBuffer;
    std::vector<char> m_outBuffer;
    bool m_atEnd = false;
};

int Pipe::compress()
{
    int code = cli::Success;
    if (!open(&code))
        return code;
    z_stream stream;
    std::memset(&stream, 0, sizeof stream);
    if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, GzipWindowBits, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return cli::failure(m_command, QStringLiteral("cannot start the compressor (out of memory)"));
    stream.next_out = reinterpret_cast<Bytef *>(m_outBuffer.data());
    stream.avail_out = ChunkSize;
    int result = Z_OK;
    while (result != Z_STREAM_END) {
        if (!refill(stream)) {
            deflateEnd(&stream);
            return cli::failure(m_command, m_in.error());
        }
        result = deflate(&stream, m_atEnd ? Z_FINISH : Z_NO_FLUSH);
        if ((stream.avail_out == 0 || result == Z_STREAM_END) && !drain(stream)) {
            deflateEnd(&stream);
            return cli::failure(m_command, m_out.error());
        }
    }
    deflateEnd(&stream);
    return finish();
}

int Pipe::decompress()
{
    int code = cli::Success;
    if (!open(&code))
        return code;
    z_stream stream;
    std::memset(&stream, 0, sizeof stream);
    if (inflateInit2(&stream, GzipWindowBits) != Z_OK)
        return cli::failure(m_command, QStringLiteral("cannot start the decompressor (out of memory)"));
    stream.next_out = reinterpret_cast<Bytef *>(m_outBuffer.data());
    stream.avail_out = ChunkSize;
    const auto broken = [&](const QString &why) {
        inflateEnd(&stream);
        return cli::failure(m_command,
                            QStringLiteral("%1 is not a complete gzip stream: %2")
                                .arg(m_inPath == QLatin1String("-") ? QStringLiteral("standard input") : m_inPath, why));
    };
    for (;;) {
        if (!refill(stream)) {
            inflateEnd(&stream);
            return cli::failure(m_command, m_in.error());
        }
        if (stream.avail_in == 0 && m_atEnd)
            return broken(stream.total_in == 0 ? QStringLiteral("empty") : QStringLiteral("cut short"));
        const int result = inflate(&stream, Z_NO_FLUSH);
        if (result != Z_OK && result != Z_STREAM_END && result != Z_BUF_ERROR)
            return broken(QString::fromLatin1(stream.msg ? stream.msg : "corrupt data"));
        if ((stream.avail_out == 0 || result == Z_STREAM_END) && !drain(stream)) {
            inflateEnd(&stream);
            return cli::failure(m_command, m_out.error());
        }
        if (result != Z_STREAM_END)
            continue;
        // A member ended (CRC and length checked). Another one may follow;
        // anything else after the last member is ignored.
        if (!refill(stream)) {
            inflateEnd(&stream);
            return cli::failure(m_command, m_in.error());
        }
        if (stream.avail_in == 1 && !m_atEnd) {
            // The magic may straddle two reads.
            const char first = char(*stream.next_in);
            m_inBuffer[0] = first;
            const qint64 got = m_in.read(m_inBuffer.data() + 1, ChunkSize - 1);
            if (got < 0) {
                inflateEnd(&stream);
                return cli::failure(m_command, m_in.error());
            }
            m_atEnd = got == 0;
            stream.next_in = reinterpret_cast<Bytef *>(m_inBuffer.data());
            stream.avail_in = uInt(got + 1);
        }
        if (stream.avail_in < 2 || stream.next_in[0] != 0x1f || stream.next_in[1] != 0x8b)
            break;
        inflateReset(&stream);
    }
    inflateEnd(&stream);
    return finish();
}

int runGzip(const QStringList &arguments)
{
    const QString command = QStringLiteral("gzip");
    if (arguments.size() != 2)
        return cli::usageError(command, QStringLiteral("expects IN and OUT"));
    return Pipe(command, arguments.at(0), arguments.at(1)).compress();
}

int runGunzip(const QStringList &arguments)
{
    const QString command = QStringLiteral("gunzip");
    if (arguments.size() != 2)
        return cli::usageError(command, QStringLiteral("expects IN and OUT"));
    return Pipe(command, arguments.at(0), arguments.at(1)).decompress();
}

const cli::Registrar s_registerGzip(cli::Command{
    QStringLiteral("gzip"), QStringLiteral("gzip IN OUT"),
    QStringLiteral("Compress IN into the gzip file OUT ('-': stdin, stdout)"), runGzip});
const cli::Registrar s_registerGunzip(cli::Command{
    QStringLiteral("gunzip"), QStringLiteral("gunzip IN OUT"),
    QStringLiteral("Decompress every gzip member of IN into OUT ('-': stdin, stdout)"), runGunzip});

} // namespace
