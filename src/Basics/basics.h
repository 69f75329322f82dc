#pragma once

// Basics: the library's free-standing helpers, grouped as static functions.
//
// Nothing here throws. Failures are reported by an empty, null, false or
// zero result; the XML functions also give a German message through an
// optional out-parameter. The implementation is split by concern into
// basics_<concern>.cpp files of this folder.

#include <basicsdll_export.h>

#include <QByteArray>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFont>
#include <QList>
#include <QRegExp>
#include <QSet>
#include <QSettings>
#include <QString>
#include <QVariantMap>
#include <QtGlobal>

#include <string>

class QWidget;

class BASICSDLL_EXPORT Basics
{
public:
    Basics() = delete;

    // --- Typed XML files of a QVariantMap -------------------------------------

    /// Writes \a map to \a fileName as typed XML, replacing the file's
    /// contents. On failure returns false, leaves an existing file as it was
    /// and sets \a errorString (if given) to a German message.
    static bool writeVariantMapToXml(const QString &fileName, const QVariantMap &map,
                                     QString *errorString = nullptr);
    /// Reads a file written by writeVariantMapToXml into \a map, replacing
    /// its whole contents on success and leaving it untouched on failure.
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

    /// The gzip stream (RFC 1952) of \a data, or an empty array when it does
    /// not fit into length + length / 100 + 12 bytes.
    static QByteArray compressGzip(const QByteArray &data);
    /// The data of the first gzip member in \a data, or an empty array on any
    /// failure (not gzip, corrupt, cut short, or longer than twice the input).
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

    // --- Paths ---------------------------------------------------------------

    /// \a path shortened with "..." to fit \a maxWidth pixels in \a font:
    /// directory characters go first, then the file name's.
    static QString compactPath(QString path, int maxWidth, const QFont &font);
    /// \a path shortened to the width and font of \a widget; unchanged for a
    /// null widget.
    static QString compactPath(QString path, QWidget *widget);
    /// \a path relative to \a folder (both canonical), or \a path's canonical
    /// form when it does not start with \a folder.
    static QString relativeFilePath(QString folder, QString path);
    /// The directory \a info names, or the current directory when \a info is
    /// not an existing directory.
    static QDir toDir(const QFileInfo &info);
    /// Whether \a item lies inside \a folder, at any depth (strictly).
    static bool isDescendant(QDir folder, QFileInfo item);
    /// Deletes a file or a folder tree; returns the number of entries left in
    /// place (0 on success). Links are removed as links, never followed.
    static int removeRecursively(const QFileInfo &info);
    /// The folder of the executable, or the folder given after the
    /// command-line switch "-applicationFolder".
    static QString getApplicationFolder();

    // --- Number and string formatting ----------------------------------------

    /// \a value in the default locale with \a precision decimals, trailing
    /// zeros (and a trailing decimal point) removed.
    static QString toString(double value, int precision);
    /// \a value with \a unit; below 1 the value is shown in the next smaller
    /// unit prefix ("m", and "mm" becomes the micro sign).
    static QString toStringWithUnit(double value, const QString &unit);
    /// Removes a numeric ordering prefix such as "01_" from \a text.
    static QString stripLeadingDigits(QString text);
    /// \a line up to the first match of \a commentStart.
    static QString removeComment(const QString &line, const QRegExp &commentStart);
    /// Similarity of two byte strings from 0.0 to 1.0 by their edit distance.
    static double fuzzyStringCompare(const std::string &a, const std::string &b);

    // --- System information ---------------------------------------------------

    /// The product version of the Windows executable or DLL \a path (from
    /// its version resource) as four numbers joined by dots, or an empty text
    /// when the file has none. Works on every platform.
    static QString getProductVersion(const QString &path);

    // --- File dialogs with remembered directory ------------------------------

    /// The folder where the user last chose something in one of the dialogs
    /// below; null at load, not persisted.
    static QString getLastDirectory();
    static void setLastDirectory(QString dir);
    static QString getExistingDirectory(QWidget *parent = nullptr,
                                        const QString &caption = QString(),
                                        const QString &dir = QString(),
                                        QFileDialog::Options options = QFileDialog::ShowDirsOnly);
    static QString getOpenFileName(QWidget *parent = nullptr, const QString &caption = QString(),
                                   const QString &dir = QString(),
                                   const QString &filter = QString(),
                                   QString *selectedFilter = nullptr,
                                   QFileDialog::Options options = QFileDialog::Options());
    static QString getSaveFileName(QWidget *parent = nullptr, const QString &caption = QString(),
                                   const QString &dir = QString(),
                                   const QString &filter = QString(),
                                   QString *selectedFilter = nullptr,
                                   QFileDialog::Options options = QFileDialog::Options());
};
