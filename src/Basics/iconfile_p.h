#pragma once

// The reader behind Basics::loadIcon. Not installed.
//
// An icon file is what `QDataStream << QIcon` writes (default stream
// version): the engine key as a QString, then the engine's data. Rather than
// handing the bytes to the toolkit's stream operator, which would follow
// file names stored in the icon (FIFOs and devices block), decode images of
// any size and read plug-in engines it cannot vouch for, the reader walks
// the structure itself, checks every length against the bytes that are
// there, and builds the icon from the checked parts:
//   "QPixmapIconEngine": qint32 count, then per entry
//       qint32 image marker (0: no image), the image as a PNG stream,
//       QString file name, qint32 width, qint32 height,
//       quint32 mode (0..3), quint32 state (0..1);
//   "QIconLoaderEngine": QString theme icon name.
// Bytes after the icon are ignored, as the stream operator ignores them.

#include <QByteArray>
#include <QIcon>

namespace BasicsIconFile {

/// Largest edge of an image in an icon file, in pixels.
constexpr int largestEdge = 8192;
/// Largest number of pixels of all images of an icon file together.
constexpr qint64 largestPixelCount = qint64(64) << 20;

/// The icon held by \a bytes, or a null icon when they hold none that passes
/// the checks above. Needs a QGuiApplication (null icon without one).
QIcon read(const QByteArray &bytes);

} // namespace BasicsIconFile
