// Reading a typed XML file into a QVariantMap: the file is taken whole into
// memory, then parsed (variantxmlfastreader.cpp for the library's own
// layout, variantxmlreader.cpp for everything else and every error). The
// caller's map changes only when the whole file was read.

#include "Basics/basics.h"
#include "Basics/variantxml_p.h"

#include <QFile>
#include <QFileInfo>

#include <new>

namespace {

bool fail(QString *errorString, const QString &text)
{
    if (errorString)
        *errorString = text;
    return false;
}

} // namespace

bool BasicsPersistence::readVariantMapFromXml(const QString &fileName, QVariantMap *map,
                                   QString *errorString)
{
    if (!map)
        return fail(errorString, QStringLiteral("Ungueltiger Ausgabe-Zeiger (map == 0)."));

    // Only regular files: a device or a FIFO could deliver without end (or
    // block the open), and a directory holds no document.
    const QFileInfo info(fileName);
    if (info.exists() && !info.isFile())
        return fail(errorString, QStringLiteral("Konnte Datei nicht zum Lesen oeffnen: %1")
                                     .arg(info.isDir() ? QStringLiteral("Is a directory")
                                                       : QStringLiteral("Not a regular file")));
    // The bytes as they are: the XML reader normalises line ends itself, and
    // in UTF-16 a 0x0D byte is half of a character, not a line end.
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return fail(errorString, QStringLiteral("Konnte Datei nicht zum Lesen oeffnen: %1")
                                     .arg(file.errorString()));

    // The whole file at once: parsing from memory is much faster than
    // pulling small pieces through the device.
    if (file.size() > VariantXml::MaxDocumentSize)
        return fail(errorString, QStringLiteral("Konnte Datei nicht zum Lesen oeffnen: File too large"));
    QByteArray document;
    try {
        document = file.readAll();
    } catch (const std::bad_alloc &) {
        return fail(errorString,
                    QStringLiteral("Konnte Datei nicht zum Lesen oeffnen: Cannot allocate memory"));
    }
    if (file.error() != QFile::NoError)
        return fail(errorString, QStringLiteral("Konnte Datei nicht zum Lesen oeffnen: %1")
                                     .arg(file.errorString()));
    if (document.size() > VariantXml::MaxDocumentSize)
        return fail(errorString, QStringLiteral("Konnte Datei nicht zum Lesen oeffnen: File too large"));
    file.close();
    try {
        // The library's own layout takes the fast path; anything else, and
        // every error, the toolkit's reader.
        return VariantXml::readOwnLayout(document, map)
               || VariantXml::readDocument(document, map, errorString);
    } catch (const std::bad_alloc &) {
        // A text of the document larger than the memory or a string holds.
        return fail(errorString, QStringLiteral("XML-Parsingfehler: Cannot allocate memory"));
    }
}
