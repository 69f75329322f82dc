#pragma once

// Names shared by the writer and the reader of the typed XML files of a
// QVariantMap (basics_xmlwrite.cpp, basics_xmlread.cpp). QStrings made at
// compile time, so that passing them to the stream writer allocates nothing.

#include <QString>
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

} // namespace VariantXml
