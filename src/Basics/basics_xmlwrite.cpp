// Writing a QVariantMap as a typed XML file.
//
// The document is made in memory (variantxmlwriter.cpp) and the file is
// replaced atomically (AtomicFile): a failed write (disk full, killed
// process, a value XML cannot hold, a document beyond 1 GiB) leaves the
// previous file exactly as it was.

#include "Basics/atomicfile_p.h"
#include "Basics/basics.h"
#include "Basics/variantxml_p.h"

namespace {

bool fail(QString *errorString, const QString &text)
{
    if (errorString)
        *errorString = text;
    return false;
}

} // namespace

bool BasicsPersistence::writeVariantMapToXml(const QString &fileName, const QVariantMap &map,
                                             QString *errorString)
{
    AtomicFile file(fileName);
    if (!file.open(QIODevice::Text))
        return fail(errorString, QStringLiteral("Konnte Datei nicht zum Schreiben oeffnen: %1")
                                     .arg(file.errorString()));
    const QByteArray xml = VariantXml::writeDocument(map);
    // Without a successful commit the target stays as it was.
    if (xml.isEmpty() || !file.write(xml) || !file.commit())
        return fail(errorString, QStringLiteral("Fehler beim Schreiben des XML-Streams."));
    return true;
}
