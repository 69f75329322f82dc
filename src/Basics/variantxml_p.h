#pragma once

// Names shared by the writer and the reader of the typed XML files of a
// QVariantMap (basics_xmlwrite.cpp, basics_xmlread.cpp).

#include <QLatin1String>

namespace VariantXml {

// Elements and attributes.
inline const QLatin1String RootElement("QVariantMap");
inline const QLatin1String EntryElement("entry");
inline const QLatin1String ValueElement("value");
inline const QLatin1String ItemElement("item");
inline const QLatin1String TypeAttribute("type");
inline const QLatin1String KeyAttribute("key");
inline const QLatin1String TypeNameAttribute("typeName");

// Type names.
inline const QLatin1String InvalidType("invalid");
inline const QLatin1String BoolType("bool");
inline const QLatin1String IntType("int");
inline const QLatin1String UIntType("uint");
inline const QLatin1String LongLongType("longlong");
inline const QLatin1String ULongLongType("ulonglong");
inline const QLatin1String DoubleType("double");
inline const QLatin1String MapType("map");
inline const QLatin1String ListType("list");
inline const QLatin1String StringListType("stringlist");
inline const QLatin1String ByteArrayType("bytearray");
inline const QLatin1String DateType("date");
inline const QLatin1String TimeType("time");
inline const QLatin1String DateTimeType("datetime");
inline const QLatin1String UserVariantType("uservariant");
inline const QLatin1String StringType("string");

// Binary variant serialisation of "uservariant" values: the data stream
// format of Qt 4.8, so files stay readable by older tools of the family.
constexpr int UserVariantStreamVersion = 12;

// Maps and lists nested deeper than this are refused by the reader: every
// level costs stack in the reader and later in the variant's destructor, and
// a hostile file could otherwise nest deep enough to exhaust it.
constexpr int MaxNestingDepth = 512;

} // namespace VariantXml
