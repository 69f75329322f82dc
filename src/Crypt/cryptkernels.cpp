#include "Crypt/cryptkernels_p.h"

#include <QtEndian>

#if (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__))
#define BASICS_CRYPT_X86 1
#include <immintrin.h>
#endif

namespace CryptKernels {

namespace {

constexpr quint64 s_byteLanes = Q_UINT64_C(0x0101010101010101);

inline quint8 keyByte(quint64 key, std::size_t position)
{
    return quint8(key >> (8 * (position % 8)));
}

// The key as a little-endian word whose byte j belongs to stream position
// phase + j.
inline quint64 rotatedKey(quint64 key, unsigned phase)
{
    const unsigned shift = 8 * (phase % 8);
    return shift ? (key >> shift) | (key << (64 - shift)) : key;
}

// ---- CRC-16/X.25 tables ---------------------------------------------------

constexpr quint16 s_reflectedPolynomial = 0x8408;

struct CrcTables
{
    // word[k][b]: register contribution of byte b followed by k zero bytes.
    quint16 word[8][256];
};

constexpr CrcTables makeCrcTables()
{
    CrcTables tables{};
    for (unsigned byte = 0; byte < 256; ++byte) {
        quint16 crc = quint16(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? quint16((crc >> 1) ^ s_reflectedPolynomial) : quint16(crc >> 1);
        tables.word[0][byte] = crc;
    }
    for (int k = 1; k < 8; ++k) {
        for (unsigned byte = 0; byte < 256; ++byte) {
            const quint16 previous = tables.word[k - 1][byte];
            tables.word[k][byte] = quint16((previous >> 8) ^ tables.word[0][previous & 0xFF]);
        }
    }
    return tables;
}

constexpr CrcTables s_crc = makeCrcTables();

} // namespace

// ---- scramble -------------------------------------------------------------

quint8 scrambleSimple(const uchar *in, uchar *out, std::size_t size, quint64 key, unsigned phase,
                      quint8 last)
{
    for (std::size_t i = 0; i < size; ++i) {
        last = quint8(in[i] ^ keyByte(key, phase + i) ^ last);
        out[i] = last;
    }
    return last;
}

quint8 scrambleWords(const uchar *in, uchar *out, std::size_t size, quint64 key, unsigned phase,
                     quint8 last)
{
    const quint64 keys = rotatedKey(key, phase);
    quint64 carry = last;
    std::size_t i = 0;
    for (; i + 8 <= size; i += 8) {
        quint64 x = qFromLittleEndian<quint64>(in + i) ^ keys;
        // Prefix XOR over the eight byte lanes.
        x ^= x << 8;
        x ^= x << 16;
        x ^= x << 32;
        const quint64 blockTop = x >> 56;
        qToLittleEndian<quint64>(x ^ (carry * s_byteLanes), out + i);
        carry ^= blockTop; // the only dependency between words
    }
    return scrambleSimple(in + i, out + i, size - i, key, phase, quint8(carry));
}

void unscrambleSimple(const uchar *in, uchar *out, std::size_t size, quint64 key, unsigned phase,
                      quint8 previous)
{
    for (std::size_t i = 0; i < size; ++i) {
        const quint8 c = in[i];
        out[i] = quint8(c ^ keyByte(key, phase + i) ^ previous);
        previous = c;
    }
}

void unscrambleWords(const uchar *in, uchar *out, std::size_t size, quint64 key, unsigned phase,
                     quint8 previous)
{
    const quint64 keys = rotatedKey(key, phase);
    quint64 before = previous;
    std::size_t i = 0;
    for (; i + 8 <= size; i += 8) {
        const quint64 c = qFromLittleEndian<quint64>(in + i);
        qToLittleEndian<quint64>(c ^ (c << 8 | before) ^ keys, out + i);
        before = c >> 56;
    }
    unscrambleSimple(in + i, out + i, size - i, key, phase, quint8(before));
}

// ---- CRC-16 ---------------------------------------------------------------

quint16 crc16Simple(quint16 crc, const uchar *data, std::size_t size)
{
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? quint16((crc >> 1) ^ s_reflectedPolynomial) : quint16(crc >> 1);
    }
    return crc;
}

quint16 crc16Sliced(quint16 crc, const uchar *data, std::size_t size)
{
    const auto &t = s_crc.word;
    while (size >= 8) {
        const quint64 v = qFromLittleEndian<quint64>(data) ^ crc;
        crc = quint16(t[7][v & 0xFF] ^ t[6][(v >> 8) & 0xFF] ^ t[5][(v >> 16) & 0xFF]
                      ^ t[4][(v >> 24) & 0xFF] ^ t[3][(v >> 32) & 0xFF] ^ t[2][(v >> 40) & 0xFF]
                      ^ t[1][(v >> 48) & 0xFF] ^ t[0][v >> 56]);
        data += 8;
        size -= 8;
    }
    while (size--)
        crc = quint16((crc >> 8) ^ t[0][(crc ^ *data++) & 0xFF]);
    return crc;
}

#if defined(BASICS_CRYPT_X86)

namespace {

// Carry-less folding. A 128-bit register holds 16 message bytes as loaded
// (little-endian); bit k stands for the coefficient of x^(127-k), so the
// low quadword holds the high-degree half. Multiplying two such reflected
// quadwords yields the product times x, hence the exponents below are one
// less than the distance folded over.
constexpr quint32 xPowerModP(unsigned exponent)
{
    quint32 r = 1;
    for (unsigned i = 0; i < exponent; ++i) {
        r <<= 1;
        if (r & 0x10000)
            r ^= 0x11021; // x^16 + x^12 + x^5 + 1
    }
    return r;
}

constexpr qint64 reflectedConstant(unsigned exponent)
{
    const quint32 r = xPowerModP(exponent);
    quint64 value = 0;
    for (unsigned degree = 0; degree < 16; ++degree) {
        if (r & (1u << degree))
            value |= Q_UINT64_C(1) << (63 - degree);
    }
    return qint64(value);
}

// Folding a register forward over `bits` bits: its high-degree half is
// multiplied by x^(bits+64), its low-degree half by x^bits.
#define BASICS_FOLD_CONSTANTS(bits)                                                                \
    _mm_set_epi64x(reflectedConstant((bits)-1), reflectedConstant((bits) + 63))

__attribute__((target("pclmul,sse2"))) inline __m128i fold(__m128i x, __m128i constants)
{
    return _mm_xor_si128(_mm_clmulepi64_si128(x, constants, 0x00),
                         _mm_clmulepi64_si128(x, constants, 0x11));
}

__attribute__((target("pclmul,sse2"))) inline __m128i load(const uchar *data)
{
    return _mm_loadu_si128(reinterpret_cast<const __m128i *>(data));
}

constexpr std::size_t s_carrylessMinimum = 128;

} // namespace

bool hasVectorScramble()
{
    static const bool available = __builtin_cpu_supports("ssse3");
    return available;
}

bool hasCarrylessCrc()
{
    static const bool available = __builtin_cpu_supports("pclmul")
                                  && __builtin_cpu_supports("ssse3");
    return available;
}

__attribute__((target("ssse3"))) quint8 scrambleVector(const uchar *in, uchar *out,
                                                       std::size_t size, quint64 key,
                                                       unsigned phase, quint8 last)
{
    // 16 is a multiple of 8: both halves use the same key bytes.
    const __m128i keys = _mm_set1_epi64x(qint64(rotatedKey(key, phase)));
    const __m128i topLane = _mm_set1_epi8(15);
    __m128i carry = _mm_set1_epi8(char(last));
    std::size_t i = 0;
    for (; i + 16 <= size; i += 16) {
        __m128i x = _mm_xor_si128(load(in + i), keys);
        x = _mm_xor_si128(x, _mm_slli_si128(x, 1));
        x = _mm_xor_si128(x, _mm_slli_si128(x, 2));
        x = _mm_xor_si128(x, _mm_slli_si128(x, 4));
        x = _mm_xor_si128(x, _mm_slli_si128(x, 8));
        const __m128i blockTop = _mm_shuffle_epi8(x, topLane);
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out + i), _mm_xor_si128(x, carry));
        carry = _mm_xor_si128(carry, blockTop);
    }
    return scrambleWords(in + i, out + i, size - i, key, phase,
                         quint8(_mm_cvtsi128_si32(carry)));
}

__attribute__((target("ssse3"))) void unscrambleVector(const uchar *in, uchar *out,
                                                       std::size_t size, quint64 key,
                                                       unsigned phase, quint8 previous)
{
    const __m128i keys = _mm_set1_epi64x(qint64(rotatedKey(key, phase)));
    // Byte 15 of `before` is the cyphertext byte ahead of the block; keeping
    // it in a register makes the loop safe in place.
    __m128i before = _mm_slli_si128(_mm_cvtsi32_si128(previous), 15);
    std::size_t i = 0;
    for (; i + 16 <= size; i += 16) {
        const __m128i c = load(in + i);
        const __m128i shifted = _mm_alignr_epi8(c, before, 15);
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out + i),
                         _mm_xor_si128(_mm_xor_si128(c, shifted), keys));
        before = c;
    }
    unscrambleWords(in + i, out + i, size - i, key, phase,
                    quint8(_mm_cvtsi128_si32(_mm_srli_si128(before, 15))));
}

__attribute__((target("pclmul,ssse3"))) quint16 crc16Carryless(quint16 crc, const uchar *data,
                                                               std::size_t size)
{
    if (size < s_carrylessMinimum)
        return crc16Sliced(crc, data, size);

    const __m128i by512 = BASICS_FOLD_CONSTANTS(512);
    const __m128i by384 = BASICS_FOLD_CONSTANTS(384);
    const __m128i by256 = BASICS_FOLD_CONSTANTS(256);
    const __m128i by128 = BASICS_FOLD_CONSTANTS(128);

    // The register's start value acts on the first two message bytes.
    __m128i x0 = _mm_xor_si128(load(data), _mm_cvtsi32_si128(crc));
    __m128i x1 = load(data + 16);
    __m128i x2 = load(data + 32);
    __m128i x3 = load(data + 48);
    data += 64;
    size -= 64;
    while (size >= 64) {
        x0 = _mm_xor_si128(fold(x0, by512), load(data));
        x1 = _mm_xor_si128(fold(x1, by512), load(data + 16));
        x2 = _mm_xor_si128(fold(x2, by512), load(data + 32));
        x3 = _mm_xor_si128(fold(x3, by512), load(data + 48));
        data += 64;
        size -= 64;
    }
    __m128i x = _mm_xor_si128(_mm_xor_si128(fold(x0, by384), fold(x1, by256)),
                              _mm_xor_si128(fold(x2, by128), x3));
    while (size >= 16) {
        x = _mm_xor_si128(fold(x, by128), load(data));
        data += 16;
        size -= 16;
    }
    // The folded register is congruent to the message so far: its CRC from
    // a zero register is the message's register value.
    alignas(16) uchar folded[16];
    _mm_store_si128(reinterpret_cast<__m128i *>(folded), x);
    return crc16Sliced(crc16Sliced(0, folded, sizeof folded), data, size);
}

#undef BASICS_FOLD_CONSTANTS

#else // no x86 vector forms

bool hasVectorScramble()
{
    return false;
}

bool hasCarrylessCrc()
{
    return false;
}

quint8 scrambleVector(const uchar *in, uchar *out, std::size_t size, quint64 key, unsigned phase,
                      quint8 last)
{
    return scrambleWords(in, out, size, key, phase, last);
}

void unscrambleVector(const uchar *in, uchar *out, std::size_t size, quint64 key, unsigned phase,
                      quint8 previous)
{
    unscrambleWords(in, out, size, key, phase, previous);
}

quint16 crc16Carryless(quint16 crc, const uchar *data, std::size_t size)
{
    return crc16Sliced(crc, data, size);
}

#endif

quint8 scramble(const uchar *in, uchar *out, std::size_t size, quint64 key, unsigned phase,
                quint8 last)
{
    return hasVectorScramble() ? scrambleVector(in, out, size, key, phase, last)
                               : scrambleWords(in, out, size, key, phase, last);
}

void unscramble(const uchar *in, uchar *out, std::size_t size, quint64 key, unsigned phase,
                quint8 previous)
{
    if (hasVectorScramble())
        unscrambleVector(in, out, size, key, phase, previous);
    else
        unscrambleWords(in, out, size, key, phase, previous);
}

quint16 crc16(quint16 crc, const uchar *data, std::size_t size)
{
    return hasCarrylessCrc() ? crc16Carryless(crc, data, size) : crc16Sliced(crc, data, size);
}

} // namespace CryptKernels
