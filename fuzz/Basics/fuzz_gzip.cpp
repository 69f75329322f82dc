// Arbitrary bytes as a gzip stream and as data to compress: never a crash,
// decoded data within the bomb limit, every input compresses, and what
// decodes re-encodes and decodes again.

#include <Basics/basics.h>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), int(size));

    const QByteArray decoded = Basics::decompressGzip(input);
    if (decoded.size() > (1 << 30))
        std::abort();
    if (!decoded.isEmpty()) {
        // Bytes after the first member are not looked at.
        if (Basics::decompressGzip(input + QByteArray("\x1f\x8b trailing", 11)) != decoded)
            std::abort();
        if (Basics::decompressGzip(Basics::compressGzip(decoded)) != decoded)
            std::abort();
    }

    // Every input compresses, into a gzip member that decodes to it.
    const QByteArray packed = Basics::compressGzip(input);
    if (packed.size() < 20 || packed.at(0) != '\x1f' || packed.at(1) != '\x8b')
        std::abort();
    if (Basics::decompressGzip(packed) != input)
        std::abort();
    return 0;
}
