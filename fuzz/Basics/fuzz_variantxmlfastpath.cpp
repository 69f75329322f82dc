// Arbitrary bytes for the typed XML fast path against its references: when
// the fast path reads a document, the toolkit-based reference must read the
// same map (types, null strings and the bits of doubles included); whatever
// the reference reads, the writer must write with the bytes of the toolkit's
// stream writer, and the fast path must read that back as the reference
// does.

#include "Basics/variantxml_p.h"

#include "testsupport/variantxmlreference.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using variantxmlreference::identical;
    const QByteArray document(reinterpret_cast<const char *>(data), int(size));

    QVariantMap fast;
    QVariantMap reference;
    QString error;
    const bool fastRead = VariantXml::readOwnLayout(document, &fast);
    const bool referenceRead = VariantXml::readDocument(document, &reference, &error);
    if (fastRead && (!referenceRead || !identical(fast, reference)))
        std::abort();
    if (!referenceRead)
        return 0;

    const QByteArray written = VariantXml::writeDocument(reference);
    if (written != variantxmlreference::StreamWriter().write(reference))
        std::abort();
    if (written.isEmpty())
        return 0;
    QVariantMap fastAgain;
    QVariantMap referenceAgain;
    if (!VariantXml::readOwnLayout(written, &fastAgain)
        || !VariantXml::readDocument(written, &referenceAgain, &error)
        || !identical(fastAgain, referenceAgain))
        std::abort();
    return 0;
}
