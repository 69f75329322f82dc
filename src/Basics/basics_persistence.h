#pragma once

// Typed XML files of a QVariantMap, settings groups, gzip framing, a stable
// text hash and random draws: the persistence helpers of Basics.
//
//     QVariantMap lens{{"name", "Doublet"}, {"radius", 51.8}};
//     QString error;
//     if (!Basics::writeVariantMapToXml("lens.xml", lens, &error))
//         qWarning() << error;            // German message, file untouched
//     QByteArray packed = Basics::compressGzip(bytes);
//
// Call them as Basics::name(); this holder only groups the declarations.

#include <basicsdll_export.h>

#include <QByteArray>
#include <QList>
#include <QSet>
#include <QSettings>
#include <QString>
#include <QVariantMap>
#include <QtGlobal>

/// Typed XML files, settings groups, gzip, hashing and draws; call them as
/// Basics::name().
struct BASICSDLL_EXPORT BasicsPersistence
{
    BasicsPersistence() = delete;

    // --- Typed XML files of a QVariantMap -------------------------------------

    /// Writes \a map to \a fileName as typed XML, replacing the file's
    /// contents. On failure returns false, leaves an existing file as it was
    /// and sets \a errorString (if given) to a German message. The file is
    /// replaced only after the whole document was written and flushed; an
    /// existing target that is not a regular file (a FIFO) is written into.
    /// Maps nested deeper than 512 levels and documents beyond 1 GiB are
    /// refused, as the reader would refuse them.
    static bool writeVariantMapToXml(const QString &fileName, const QVariantMap &map,
                                     QString *errorString = nullptr);
    /// Reads a file written by writeVariantMapToXml into \a map, replacing
    /// its whole contents on success and leaving it untouched on failure.
    /// Takes regular files up to 1 GiB in any encoding the XML declaration
    /// names; refuses document type declarations and elements with more
    /// than two attributes, which the format never has.
    static bool readVariantMapFromXml(const QString &fileName, QVariantMap *map,
                                      QString *errorString = nullptr);

    // --- Settings groups -----------------------------------------------------

    /// Stores \a map under the current group of \a settings; nested maps
    /// become nested groups. Keys not in \a map stay untouched. The store
    /// reads '/' in a key as a group separator and ignores an empty key.
    static void writeSettingsGroup(QSettings &settings, const QVariantMap &map);
    /// Everything under the current group of \a settings as a nested map.
    static QVariantMap readSettingsGroup(QSettings &settings);

    // --- Gzip framing --------------------------------------------------------

    /// The gzip stream (RFC 1952) of \a data, any size from 0 bytes on; an
    /// empty array only when memory for the stream cannot be had.
    static QByteArray compressGzip(const QByteArray &data);
    /// The data of the first gzip member in \a data, whatever its ratio, up
    /// to 1 GiB; an empty array on any failure (not gzip, zlib or raw
    /// deflate data, corrupt, cut short, bad CRC or length, or more than
    /// 1 GiB of data: a decompression bomb). Bytes after the member are
    /// ignored.
    static QByteArray decompressGzip(const QByteArray &data);

    // --- Hashing and random draws --------------------------------------------

    /// The first 8 bytes of the SHA-1 digest of the UTF-8 text, least
    /// significant byte first. Stable across processes and platforms.
    static quint64 myHash(const QString &text);
    /// Draws min(count, range) distinct integers of [0, range - 1] into
    /// \a result (emptied first); returns how many, 0 if range < 2 or count < 1.
    /// Never throws: more than 268 435 447 values (on 64-bit systems), or
    /// memory that cannot be had, give 0 and an empty result.
    static int lotto(int count, int range, QSet<int> &result);
    /// As lotto(), into a list in the order of drawing.
    static int lotto1(int count, int range, QList<int> &result);
};
