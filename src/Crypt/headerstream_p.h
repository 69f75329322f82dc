#pragma once

// The byte form of an XSimpleCrypt header map: the toolkit's data stream at
// version 12 (Qt_4_8), big-endian: the number of entries (quint32), then
// key (QString) and value (QVariant) of each entry from the greatest key to
// the smallest.
//
// Reading walks lists and maps itself, so that a forged stream cannot nest
// deeper than s_maximumNesting and exhaust the stack, nor make a list
// reserve the element count it claims (the toolkit's list reading does);
// key sequences are read here too (the toolkit's reader stops quietly at the
// end of the data); every other value is read by the toolkit's own QVariant
// stream operator. Of the GUI types only those the toolkit reads in a fixed
// size are read (fonts, colours, key sequences, text lengths, matrices,
// transforms, vectors, quaternions, size policies), in every application;
// any other GUI value (pixmaps, images, polygons, brushes, pens, text
// formats, ...) makes the map unreadable.

#include <QByteArray>
#include <QVariantMap>

namespace CryptKernels {

constexpr int s_maximumNesting = 256;

QByteArray writeHeaderMap(const QVariantMap &map);

/// Whether readHeaderMap() can read every value of \a map back: false for a
/// value the toolkit cannot write (a type without stream operators, such as
/// QModelIndex), a GUI value that is not read, or nesting deeper than
/// s_maximumNesting, also inside lists and maps. \a badKey, when given,
/// receives the key of the first such entry.
bool isWritableHeaderMap(const QVariantMap &map, QString *badKey = nullptr);

/// False when \a bytes do not start with a complete map.
bool readHeaderMap(const QByteArray &bytes, QVariantMap *map);

} // namespace CryptKernels
