#pragma once

// Inflates a body in the toolkit's qCompress format (4-byte big-endian
// length of the original data, then a zlib stream) without trusting the
// length: the output buffer starts at the claimed length, but at most
// sixteen times the stream's size plus 64 KiB, and grows only with data
// actually inflated. A forged length therefore costs nothing; only real
// data takes memory.
//
// Results match qUncompress for every input it accepts: a claimed length
// that differs from the real one is tolerated, bytes after the end of the
// stream are ignored, and four zero bytes alone are an empty array.

#include <QByteArray>

namespace CryptKernels {

/// False (and \a out empty) for a damaged or truncated stream, or one that
/// would exceed the largest byte array the toolkit can hold.
bool boundedUncompress(const QByteArray &compressed, QByteArray *out);

/// The first output buffer's size for a stream of \a streamSize bytes that
/// claims \a claimed bytes.
qint64 initialInflateCapacity(qint64 claimed, qint64 streamSize);

} // namespace CryptKernels
