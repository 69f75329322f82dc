// Arbitrary bytes as a gzip stream and as data to compress: never a crash,
// results within the fixed buffer sizes, and what decodes re-encodes.

#include <Basics/basics.h>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), int(size));

    const QByteArray decoded = Basics::decompressGzip(input);
    if (decoded.size() > 2 * input.size())
        std::abort();
    if (!decoded.isEmpty()) {
        // Bytes after the first member are not looked at.
        if (Basics::decompressGzip(input + QByteArray("\x1f\x8b trailing", 11)) != decoded)
            std::abort();
        const QByteArray again = Basics::compressGzip(decoded);
        if (!again.isEmpty() && decoded.size() <= 2 * again.size()
            && Basics::decompressGzip(again) != decoded)
            std::abort();
    }

    const QByteArray packed = Basics::compressGzip(input);
    const qint64 n = input.size();
    if (packed.size() > n + n / 100 + 12)
        std::abort();
    if (!packed.isEmpty()) {
        if (packed.size() < 18 || packed.at(0) != '\x1f' || packed.at(1) != '\x8b')
            std::abort();
        if (input.size() <= 2 * packed.size() && Basics::decompressGzip(packed) != input)
            std::abort();
    }
    return 0;
}
