#pragma once

// The byte form of an XSimpleCrypt header map: the toolkit's data stream at
// version 12 (Qt_4_8), big-endian: the number of entries (quint32), then
// key (QString) and value (QVariant) of each entry from the greatest key to
// the smallest.
//
// Reading walks lists and maps itself, so that a forged stream cannot nest
// deeper than s_maximumNesting and exhaust the stack, nor make a list
// reserve the element count it claims (the toolkit's list reading does);
// every other value is read by the toolkit's own QVariant stream operator. Outside
// a GUI application, GUI values (fonts, pixmaps, cursors, icons, ...) make
// the map unreadable: the toolkit would abort the process reading them.

#include <QByteArray>
#include <QVariantMap>

namespace CryptKernels {

constexpr int s_maximumNesting = 256;

QByteArray writeHeaderMap(const QVariantMap &map);

/// False when \a bytes do not start with a complete map.
bool readHeaderMap(const QByteArray &bytes, QVariantMap *map);

} // namespace CryptKernels
