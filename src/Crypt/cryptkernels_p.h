#pragma once

// The hot loops of SimpleCrypt: the chained XOR scramble and the CRC-16 of
// the toolkit's qChecksum (X.25: reflected polynomial 0x1021, register
// initialised to 0xFFFF, complemented at the end).
//
// Each loop comes in a simple byte-wise form, which defines the result, and
// in faster forms that must give bit-identical results for every length and
// every alignment:
//  - scramble: the chain c[i] = p[i] ^ k[i] ^ c[i-1] is a prefix XOR of
//    p ^ k, computed a machine word (or a vector) at a time; the chain only
//    crosses from one word to the next through its top byte.
//  - unscramble: p[i] = c[i] ^ k[i] ^ c[i-1] has no chain at all.
//  - CRC-16: slicing-by-8 tables, and on x86 carry-less multiplication
//    (PCLMULQDQ) that folds 64 bytes per step.
// The functions without suffix pick the fastest form the processor offers.
//
// Key bytes: position i of a stream uses key byte (phase + i) % 8, byte j of
// the key being bits 8j..8j+7 (least significant first). The phase lets a
// caller scramble a payload in pieces.

#include <QtGlobal>

#include <cstddef>

namespace CryptKernels {

/// Scrambles \a size bytes from \a in to \a out (they may be the same
/// buffer) continuing the chain from \a last; returns the last output byte
/// (\a last for an empty range).
quint8 scrambleSimple(const uchar *in, uchar *out, std::size_t size, quint64 key,
                      unsigned phase, quint8 last);
quint8 scrambleWords(const uchar *in, uchar *out, std::size_t size, quint64 key,
                     unsigned phase, quint8 last);
quint8 scramble(const uchar *in, uchar *out, std::size_t size, quint64 key, unsigned phase,
                quint8 last);

/// Reverses scramble(): \a previous is the cyphertext byte in front of
/// \a in[0] (0 at the start of a payload). \a in and \a out may be the same
/// buffer.
void unscrambleSimple(const uchar *in, uchar *out, std::size_t size, quint64 key, unsigned phase,
                      quint8 previous);
void unscrambleWords(const uchar *in, uchar *out, std::size_t size, quint64 key, unsigned phase,
                     quint8 previous);
void unscramble(const uchar *in, uchar *out, std::size_t size, quint64 key, unsigned phase,
                quint8 previous);

/// CRC register update: start with 0xFFFF, complement the final register
/// to get qChecksum's value. Bit-by-bit definition.
quint16 crc16Simple(quint16 crc, const uchar *data, std::size_t size);
/// Slicing-by-8.
quint16 crc16Sliced(quint16 crc, const uchar *data, std::size_t size);
quint16 crc16(quint16 crc, const uchar *data, std::size_t size);

/// qChecksum's value of a byte range, by the fastest form.
inline quint16 checksum(const char *data, std::size_t size)
{
    return quint16(~crc16(0xFFFF, reinterpret_cast<const uchar *>(data), size));
}

/// The vector forms, callable only when the processor has them; the tests
/// compare them with the simple forms directly.
bool hasVectorScramble(); // SSSE3
quint8 scrambleVector(const uchar *in, uchar *out, std::size_t size, quint64 key, unsigned phase,
                      quint8 last);
void unscrambleVector(const uchar *in, uchar *out, std::size_t size, quint64 key, unsigned phase,
                      quint8 previous);
bool hasCarrylessCrc(); // PCLMULQDQ + SSSE3
quint16 crc16Carryless(quint16 crc, const uchar *data, std::size_t size);

} // namespace CryptKernels
