// compressGzip / decompressGzip on 1 MiB of text against zlib called
// directly with the same parameters and one output buffer of the right size
// (zlib's bound for compression; for decompression the size of the data,
// which the library does not know and has to grow to).
// Items per second are counted on CPU time, so the ratios hold on a busy
// machine too.

#include <Basics/basics.h>

#include "support/benchratio.h"
#include "testsupport/randombytes.h"

#include <QRandomGenerator>

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstring>
#include <memory>

namespace {

constexpr int MiB = 1 << 20;

// Lens prescriptions as a tool writes them: compresses about fivefold.
const QByteArray &prose()
{
    static const QByteArray text = [] {
        QByteArray bytes;
        for (int line = 0; bytes.size() < MiB; ++line)
            bytes += "Surface " + QByteArray::number(line) + ": radius "
                     + QByteArray::number(40.0 + (line * 37 % 1000) / 7.0, 'f', 4)
                     + " mm, thickness 4.0 mm, glass N-BK7, semi-diameter 12.5 mm\n";
        bytes.truncate(MiB);
        return bytes;
    }();
    return text;
}

// Base64 text of random bytes: compresses to about three quarters, so its
// data fits the library's first output buffer.
const QByteArray &base64Text()
{
    static const QByteArray text = randomBytes(MiB * 3 / 4, 1).toBase64().left(MiB);
    return text;
}

qint64 zlibCompress(const QByteArray &data)
{
    const qint64 n = data.size();
    z_stream stream;
    std::memset(&stream, 0, sizeof stream);
    deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 31, 8, Z_DEFAULT_STRATEGY);
    const qint64 capacity = qint64(deflateBound(&stream, uLong(n)));
    std::unique_ptr<unsigned char[]> buffer(new unsigned char[std::size_t(capacity)]);
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.constData()));
    stream.avail_in = uInt(n);
    stream.next_out = buffer.get();
    stream.avail_out = uInt(capacity);
    const int result = deflate(&stream, Z_FINISH);
    const qint64 size = qint64(stream.total_out);
    deflateEnd(&stream);
    return result == Z_STREAM_END ? size : 0;
}

qint64 zlibDecompress(const QByteArray &data, qint64 capacity)
{
    std::unique_ptr<unsigned char[]> buffer(new unsigned char[std::size_t(capacity)]);
    z_stream stream;
    std::memset(&stream, 0, sizeof stream);
    inflateInit2(&stream, 31);
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.constData()));
    stream.avail_in = uInt(data.size());
    stream.next_out = buffer.get();
    stream.avail_out = uInt(capacity);
    const int result = inflate(&stream, Z_NO_FLUSH);
    const qint64 size = qint64(stream.total_out);
    inflateEnd(&stream);
    return result == Z_STREAM_END ? size : 0;
}

void BM_CompressGzip_Prose(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(Basics::compressGzip(prose()));
    state.SetBytesProcessed(state.iterations() * MiB);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_CompressGzip_Prose)->Unit(benchmark::kMillisecond);

void BM_Zlib_Compress_Prose(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(zlibCompress(prose()));
    state.SetBytesProcessed(state.iterations() * MiB);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Zlib_Compress_Prose)->Unit(benchmark::kMillisecond);

void BM_CompressGzip_Base64(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(Basics::compressGzip(base64Text()));
    state.SetBytesProcessed(state.iterations() * MiB);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_CompressGzip_Base64)->Unit(benchmark::kMillisecond);

void BM_Zlib_Compress_Base64(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(zlibCompress(base64Text()));
    state.SetBytesProcessed(state.iterations() * MiB);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Zlib_Compress_Base64)->Unit(benchmark::kMillisecond);

void BM_DecompressGzip_Base64(benchmark::State &state)
{
    const QByteArray packed = Basics::compressGzip(base64Text());
    if (Basics::decompressGzip(packed) != base64Text())
        state.SkipWithError("round trip failed");
    for (auto _ : state)
        benchmark::DoNotOptimize(Basics::decompressGzip(packed));
    state.SetBytesProcessed(state.iterations() * MiB);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DecompressGzip_Base64)->Unit(benchmark::kMillisecond);

void BM_Zlib_Decompress_Base64(benchmark::State &state)
{
    const QByteArray packed = Basics::compressGzip(base64Text());
    for (auto _ : state)
        benchmark::DoNotOptimize(zlibDecompress(packed, MiB));
    state.SetBytesProcessed(state.iterations() * MiB);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Zlib_Decompress_Base64)->Unit(benchmark::kMillisecond);

// Prose compresses about fivefold: the library's output starts at twice the
// stream and doubles twice on the way.
void BM_DecompressGzip_Prose(benchmark::State &state)
{
    const QByteArray packed = Basics::compressGzip(prose());
    if (Basics::decompressGzip(packed) != prose())
        state.SkipWithError("round trip failed");
    for (auto _ : state)
        benchmark::DoNotOptimize(Basics::decompressGzip(packed));
    state.SetBytesProcessed(state.iterations() * MiB);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DecompressGzip_Prose)->Unit(benchmark::kMillisecond);

void BM_Zlib_Decompress_Prose(benchmark::State &state)
{
    const QByteArray packed = Basics::compressGzip(prose());
    for (auto _ : state)
        benchmark::DoNotOptimize(zlibDecompress(packed, MiB));
    state.SetBytesProcessed(state.iterations() * MiB);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Zlib_Decompress_Prose)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    // Within 1.05 times zlib's time: at least 1 / 1.05 of its throughput.
    const double goal = 1.0 / 1.05;
    return benchsupport::runWithRatios(
        argc, argv,
        {{"compressGzip vs zlib, 1 MiB prose", "BM_CompressGzip_Prose", "BM_Zlib_Compress_Prose", goal},
         {"compressGzip vs zlib, 1 MiB Base64 text", "BM_CompressGzip_Base64", "BM_Zlib_Compress_Base64", goal},
         {"decompressGzip vs zlib, 1 MiB Base64 text", "BM_DecompressGzip_Base64",
          "BM_Zlib_Decompress_Base64", goal},
         {"decompressGzip vs zlib, 1 MiB prose", "BM_DecompressGzip_Prose",
          "BM_Zlib_Decompress_Prose", goal}});
}
