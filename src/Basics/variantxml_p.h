#pragma once

// The typed XML documents of a QVariantMap, inside the library:
//  - writeDocument() (variantxmlwriter.cpp) makes the document's bytes;
//  - readOwnLayout() (variantxmlfastreader.cpp) reads documents in the
//    layout the writer makes, and declines everything else;
//  - readDocument() (variantxmlreader.cpp) reads any document with the
//    toolkit's stream reader, after XmlGuard's look at it: the reference,
//    and the only source of error texts.
// Basics::writeVariantMapToXml and readVariantMapFromXml add the files.
// The names below are QStrings made at compile time.

#include <QByteArray>
#include <QString>
#include <QStringRef>
#include <QVariant>
#include <QVariantMap>
#include <QtGlobal>

namespace VariantXml {

// Elements and attributes.
inline const QString RootElement = QStringLiteral("QVariantMap");
inline const QString EntryElement = QStringLiteral("entry");
inline const QString ValueElement = QStringLiteral("value");
inline const QString ItemElement = QStringLiteral("item");
inline const QString TypeAttribute = QStringLiteral("type");
inline const QString KeyAttribute = QStringLiteral("key");
inline const QString TypeNameAttribute = QStringLiteral("typeName");

// Type names.
inline const QString InvalidType = QStringLiteral("invalid");
inline const QString BoolType = QStringLiteral("bool");
inline const QString IntType = QStringLiteral("int");
inline const QString UIntType = QStringLiteral("uint");
inline const QString LongLongType = QStringLiteral("longlong");
inline const QString ULongLongType = QStringLiteral("ulonglong");
inline const QString DoubleType = QStringLiteral("double");
inline const QString MapType = QStringLiteral("map");
inline const QString ListType = QStringLiteral("list");
inline const QString StringListType = QStringLiteral("stringlist");
inline const QString ByteArrayType = QStringLiteral("bytearray");
inline const QString DateType = QStringLiteral("date");
inline const QString TimeType = QStringLiteral("time");
inline const QString DateTimeType = QStringLiteral("datetime");
inline const QString UserVariantType = QStringLiteral("uservariant");
inline const QString StringType = QStringLiteral("string");

// Texts of a bool.
inline const QString TrueText = QStringLiteral("true");
inline const QString FalseText = QStringLiteral("false");

// Binary variant serialisation of "uservariant" values: the data stream
// format of Qt 4.8, so files stay readable by older tools of the family.
constexpr int UserVariantStreamVersion = 12;

// Maps and lists nested deeper than this are refused by the reader: every
// level costs stack in the reader and later in the variant's destructor, and
// a hostile file could otherwise nest deep enough to exhaust it.
constexpr int MaxNestingDepth = 512;

// The largest file the reader takes, and the largest document the writer
// makes: 1 GiB. Typical files are a few megabytes; the limit keeps a hostile
// or mistaken input (a device, a huge file) from taking the memory, and a
// document is always built in memory whole.
constexpr qint64 MaxDocumentSize = qint64(1) << 30;

/// The document of \a map in UTF-8, or an empty array when it cannot be
/// written: a text XML cannot hold, a date ISO 8601 cannot spell, nesting
/// beyond MaxNestingDepth, a document beyond MaxDocumentSize, no memory.
QByteArray writeDocument(const QVariantMap &map);

/// Reads \a document when it is in the writer's own layout (its XML
/// declaration, the elements and attributes of the format, text with the
/// predefined and character references, any line ends): true with \a map
/// set exactly as readDocument() would set it. False, \a map untouched, for
/// anything else, which readDocument() then reads or refuses.
bool readOwnLayout(const QByteArray &document, QVariantMap *map);

/// Reads \a document with the toolkit's stream reader: true with \a map
/// set, or false with the German error text in \a errorString (if given).
bool readDocument(const QByteArray &document, QVariantMap *map, QString *errorString);

/// Scalar type names, in the order the reader checks them; any other name
/// and none is a string.
enum class Scalar {
    ByteArray, Bool, Int, UInt, LongLong, ULongLong, Double, DateTime, Date, Time, Invalid,
    UserVariant, String
};
Scalar scalarType(const QStringRef &type);
/// The value of a scalar element's text, by the type table of the format.
QVariant scalarFromText(Scalar type, const QStringRef &text);

} // namespace VariantXml
