// The reference reader of typed XML documents, on the toolkit's stream
// reader: it reads every document the fast path (variantxmlfastreader.cpp)
// does not recognise, and gives every error text.
//
// The reader is forgiving about content (unknown elements are skipped,
// unknown type names read as text, numbers that do not parse become 0) and
// strict about structure (malformed XML and elements inside a scalar are
// errors).

#include "Basics/variantxml_p.h"
#include "Basics/xmlguard_p.h"

#include <QDataStream>
#include <QDate>
#include <QDateTime>
#include <QStringList>
#include <QTime>
#include <QXmlStreamReader>

namespace VariantXml {

namespace {

// Restores a "uservariant" value. Only application types are restored: the
// writer never stores anything else under this type name, and the toolkit's
// own types would run arbitrary decoders on untrusted bytes (images, or
// pixmaps that abort a program without a GUI). An unknown or unregistered
// type, or data that does not decode, gives an invalid variant.
QVariant restoreUserValue(const QString &text)
{
    const QByteArray bytes = QByteArray::fromBase64(text.toLatin1());

    // The stream starts with the type number (127 for an application type in
    // this stream version), the null flag and the registered type name.
    QDataStream header(bytes);
    header.setVersion(UserVariantStreamVersion);
    quint32 typeNumber = 0;
    qint8 isNull = 0;
    QByteArray typeName;
    header >> typeNumber >> isNull >> typeName;
    constexpr quint32 ApplicationTypeNumber = 127;
    if (header.status() != QDataStream::Ok || typeNumber != ApplicationTypeNumber
        || QMetaType::type(typeName.constData()) < int(QMetaType::User))
        return QVariant();

    QDataStream stream(bytes);
    stream.setVersion(UserVariantStreamVersion);
    QVariant value;
    try {
        stream >> value;
    } catch (const std::bad_alloc &) {
        // A corrupt element count can ask a container for gigabytes.
        return QVariant();
    }
    if (stream.status() != QDataStream::Ok)
        return QVariant();
    return value;
}

} // namespace

// Checked in this order; any other name, and none, is a string.
Scalar scalarType(const QStringRef &type)
{
    if (type == ByteArrayType) return Scalar::ByteArray;
    if (type == BoolType) return Scalar::Bool;
    if (type == IntType) return Scalar::Int;
    if (type == UIntType) return Scalar::UInt;
    if (type == LongLongType) return Scalar::LongLong;
    if (type == ULongLongType) return Scalar::ULongLong;
    if (type == DoubleType) return Scalar::Double;
    if (type == DateTimeType) return Scalar::DateTime;
    if (type == DateType) return Scalar::Date;
    if (type == TimeType) return Scalar::Time;
    if (type == InvalidType) return Scalar::Invalid;
    if (type == UserVariantType) return Scalar::UserVariant;
    return Scalar::String;
}

QVariant scalarFromText(Scalar type, const QStringRef &text)
{
    bool ok = false;
    switch (type) {
    case Scalar::ByteArray:
        return QByteArray::fromBase64(text.toLatin1());
    case Scalar::Bool:
        return text == TrueText;
    case Scalar::Int: {
        const int value = text.toInt(&ok, 10);
        return ok ? value : 0;
    }
    case Scalar::UInt: {
        const uint value = text.toUInt(&ok, 10);
        return ok ? value : 0u;
    }
    case Scalar::LongLong: {
        const qlonglong value = text.toLongLong(&ok, 10);
        return ok ? value : Q_INT64_C(0);
    }
    case Scalar::ULongLong: {
        const qulonglong value = text.toULongLong(&ok, 10);
        return ok ? value : Q_UINT64_C(0);
    }
    case Scalar::Double: {
        // QString::toDouble always parses in the C locale.
        const double value = text.toDouble(&ok);
        return ok ? value : 0.0;
    }
    case Scalar::DateTime:
        return QDateTime::fromString(text.toString(), Qt::ISODate);
    case Scalar::Date:
        return QDate::fromString(text.toString(), Qt::ISODate);
    case Scalar::Time:
        return QTime::fromString(text.toString(), Qt::ISODate);
    case Scalar::Invalid:
        return QVariant();
    case Scalar::UserVariant:
        return restoreUserValue(text.toString());
    case Scalar::String:
        break;
    }
    return text.toString();
}

namespace {

class VariantXmlReader
{
public:
    explicit VariantXmlReader(const QByteArray &document) : m_xml(document) {}

    QXmlStreamReader &xml() { return m_xml; }

    /// Reads the value element the reader stands on, up to its end tag.
    QVariant readValue(int depth = 0);

private:
    QVariantMap readMap(int depth);
    QVariantList readList(int depth);
    QStringList readStringList(int depth);

    QXmlStreamReader m_xml;
};

QVariant VariantXmlReader::readValue(int depth)
{
    enum { Map, List, StringList, Other } kind = Other;
    Scalar scalar = Scalar::String;
    {
        // The attribute's text lives in the reader's buffer, and a copy of
        // the attributes kept while reading on would make the reader copy
        // them for every element: classify first, then let go.
        const QXmlStreamAttributes attributes = m_xml.attributes();
        const QStringRef type = attributes.value(TypeAttribute);
        if (type == MapType)
            kind = Map;
        else if (type == ListType)
            kind = List;
        else if (type == StringListType)
            kind = StringList;
        else
            scalar = scalarType(type);
    }
    if (kind != Other && depth >= MaxNestingDepth) {
        m_xml.raiseError(QStringLiteral("Maps and lists nested deeper than %1 levels.")
                             .arg(MaxNestingDepth));
        return QVariant();
    }
    switch (kind) {
    case Map:
        return readMap(depth + 1);
    case List:
        return readList(depth + 1);
    case StringList:
        return readStringList(depth + 1);
    case Other:
        break;
    }
    // A child element inside a scalar is an error of the reader.
    const QString text = m_xml.readElementText(QXmlStreamReader::ErrorOnUnexpectedElement);
    if (m_xml.hasError())
        return QVariant();
    return scalarFromText(scalar, QStringRef(&text));
}

QVariantMap VariantXmlReader::readMap(int depth)
{
    QVariantMap map;
    while (m_xml.readNextStartElement()) {
        if (m_xml.name() != EntryElement) {
            m_xml.skipCurrentElement();
            continue;
        }
        const QString key = m_xml.attributes().value(KeyAttribute).toString();
        QVariant value;
        while (m_xml.readNextStartElement()) {
            if (m_xml.name() == ValueElement)
                value = readValue(depth); // the last "value" wins
            else
                m_xml.skipCurrentElement();
        }
        map.insert(key, value); // a repeated key gets the later value
    }
    return map;
}

QVariantList VariantXmlReader::readList(int depth)
{
    QVariantList list;
    while (m_xml.readNextStartElement()) {
        if (m_xml.name() == ItemElement)
            list.append(readValue(depth));
        else
            m_xml.skipCurrentElement();
    }
    return list;
}

QStringList VariantXmlReader::readStringList(int depth)
{
    QStringList list;
    while (m_xml.readNextStartElement()) {
        if (m_xml.name() == ItemElement)
            list.append(readValue(depth).toString());
        else
            m_xml.skipCurrentElement();
    }
    return list;
}

bool fail(QString *errorString, const QString &text)
{
    if (errorString)
        *errorString = text;
    return false;
}

} // namespace

bool readDocument(const QByteArray &document, QVariantMap *map, QString *errorString)
{
    const QString refusal = XmlGuard::check(document);
    if (!refusal.isEmpty())
        return fail(errorString, QStringLiteral("XML-Parsingfehler: %1").arg(refusal));

    VariantXmlReader reader(document);
    QXmlStreamReader &xml = reader.xml();
    while (!xml.atEnd() && xml.readNext() != QXmlStreamReader::StartElement) {
    }
    if (xml.tokenType() != QXmlStreamReader::StartElement) {
        // The reader decodes the whole document first: a byte sequence the
        // encoding does not allow, anywhere, stops it before the root.
        if (xml.error() == QXmlStreamReader::NotWellFormedError
            && xml.errorString() == QLatin1String("Encountered incorrectly encoded content."))
            return fail(errorString, QStringLiteral("Die XML-Datei ist kein gueltiges %1.")
                                         .arg(XmlGuard::encodingName(document)));
        return fail(errorString, QStringLiteral("Leere oder ungueltige XML-Datei."));
    }
    if (xml.name() != RootElement)
        return fail(errorString,
                    QStringLiteral("Unerwartetes Wurzelelement: %1").arg(xml.name().toString()));

    // Nothing after the root's end tag is read.
    const QVariant root = reader.readValue();
    if (xml.hasError())
        return fail(errorString, QStringLiteral("XML-Parsingfehler: %1").arg(xml.errorString()));
    if (root.userType() != QMetaType::QVariantMap)
        return fail(errorString, QStringLiteral("Wurzelelement enthaelt keine QVariantMap."));
    *map = root.toMap();
    return true;
}

} // namespace VariantXml
