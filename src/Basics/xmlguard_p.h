#pragma once

// A linear look at a typed XML document before any XML parser sees it, for
// the two things the toolkit's reader handles at unbounded cost: document
// type declarations (entities that expand without limit) and elements with
// very many attributes (checked against each other pairwise). The file
// format needs neither: its elements carry at most two attributes.
//
//     const QString refusal = XmlGuard::check(document);
//     if (!refusal.isEmpty())
//         return fail("XML-Parsingfehler: " + refusal);
//
// The document is looked at in the encoding the reader will use (a byte
// order mark or the pattern of "<" in UTF-16 or UTF-32, else the encoding
// its XML declaration names, else UTF-8), from its start to the end tag of
// its root element; comments, processing instructions, CDATA sections and
// quoted attribute values are passed over.

#include <QByteArray>
#include <QString>

namespace XmlGuard {

/// The most attributes an element of the file format has ("type" and
/// "typeName").
constexpr int MaxAttributes = 2;

/// An empty text when \a document may be parsed, otherwise the reason why not
/// (English, as the reader's own error texts).
QString check(const QByteArray &document);

/// The name of the encoding the reader decodes \a document with.
QString encodingName(const QByteArray &document);

} // namespace XmlGuard
