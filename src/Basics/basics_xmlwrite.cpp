// Writing a QVariantMap as a typed XML file.
//
// The file is replaced atomically: the XML goes to a temporary file beside
// the target, which is renamed over it only when everything was written. A
// failed write (disk full, killed process, a value XML cannot hold, a
// document beyond 2 GiB) leaves the previous file exactly as it was.

#include "Basics/atomicfile_p.h"
#include "Basics/basics.h"
#include "Basics/variantxml_p.h"

#include <QDataStream>
#include <QDate>
#include <QDateTime>
#include <QIODevice>
#include <QStringList>
#include <QTime>
#include <QXmlStreamWriter>

#include <cmath>
#include <limits>
#include <new>

namespace {

using namespace VariantXml;

// XML 1.0 cannot hold every UTF-16 text: control characters other than tab,
// line feed and carriage return, U+FFFE, U+FFFF and unpaired surrogates have
// no representation at all. Writing them anyway would give a file that no
// reader accepts, so such a text fails the write.
bool isXmlText(const QString &text)
{
    const QChar *c = text.constData();
    const QChar *end = c + text.size();
    for (; c != end; ++c) {
        const ushort u = c->unicode();
        if (u >= 0x20 && u < 0xD800)
            continue;
        if (u < 0x20) {
            if (u != 0x9 && u != 0xA && u != 0xD)
                return false;
        } else if (QChar::isHighSurrogate(u)) {
            if (c + 1 == end || !c[1].isLowSurrogate())
                return false;
            ++c;
        } else if (QChar::isLowSurrogate(u) || u == 0xFFFE || u == 0xFFFF) {
            return false;
        }
    }
    return true;
}

// 17 significant digits read back bit-identical. The toolkit drops the sign
// of a negative zero, which the C library's general format keeps.
QString doubleText(double value)
{
    if (value == 0.0 && std::signbit(value))
        return QStringLiteral("-0");
    return QString::number(value, 'g', 17);
}

// The binary variant serialisation of a value of an application type, or an
// empty array when the type cannot be streamed.
QByteArray serializeUserValue(const QVariant &value)
{
    // QVariant's stream operator writes a type without registered stream
    // operators as a header without data, which no reader can restore; find
    // out first whether the type can be saved at all.
    {
        QByteArray probe;
        QDataStream probeStream(&probe, QIODevice::WriteOnly);
        probeStream.setVersion(UserVariantStreamVersion);
        if (!QMetaType::save(probeStream, value.userType(), value.constData()))
            return QByteArray();
    }
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    stream.setVersion(UserVariantStreamVersion);
    stream << value;
    if (stream.status() != QDataStream::Ok)
        return QByteArray();
    return bytes;
}

// The cheapest device for the stream writer: appends to a byte array. A
// sequential device skips the position bookkeeping of QBuffer, and the
// writer's many small writes are what the time goes into. A document that
// outgrows the byte array, or the memory, is a write error of the stream.
class AppendDevice : public QIODevice
{
public:
    explicit AppendDevice(QByteArray *bytes) : m_bytes(bytes) { open(QIODevice::WriteOnly); }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 size) override
    {
        if (size > MaxDocumentSize - m_bytes->size())
            return -1;
        try {
            m_bytes->append(data, int(size));
        } catch (const std::bad_alloc &) {
            return -1;
        }
        return size;
    }

private:
    QByteArray *m_bytes;
};

// Builds the document in memory; the file gets it in one write.
class VariantXmlWriter
{
public:
    VariantXmlWriter() : m_device(&m_bytes), m_xml(&m_device)
    {
        m_xml.setAutoFormatting(true);
        m_xml.setAutoFormattingIndent(2);
    }

    /// The document in UTF-8, or an empty array when a value cannot be
    /// written as XML or the document does not fit into memory.
    QByteArray write(const QVariantMap &map)
    {
        try {
            m_bytes.reserve(1 << 16);
            m_xml.writeStartDocument();
            writeValue(RootElement, map);
            m_xml.writeEndDocument();
        } catch (const std::bad_alloc &) {
            // A text or its conversion larger than the memory or a string.
            return QByteArray();
        }
        if (!m_ok || m_xml.hasError())
            return QByteArray();
        return m_bytes;
    }

private:
    void writeValue(const QString &element, const QVariant &value, int depth = 0);
    void writeMap(const QVariantMap &map, int depth);
    void writeScalar(const QString &type, const QString &text);
    void writeDateScalar(const QString &type, bool valid, const QString &text);
    void writeText(const QString &text);
    bool checked(const QString &text)
    {
        if (!isXmlText(text))
            m_ok = false;
        return m_ok;
    }

    QByteArray m_bytes;
    AppendDevice m_device;
    QXmlStreamWriter m_xml;
    bool m_ok = true;
};

void VariantXmlWriter::writeValue(const QString &element, const QVariant &value, int depth)
{
    if (!m_ok || m_xml.hasError())
        return;
    const int type = value.userType();
    // The reader refuses maps and lists nested deeper than this; a file it
    // can never read back is not written either.
    if (depth >= MaxNestingDepth
        && (type == QMetaType::QVariantMap || type == QMetaType::QVariantList
            || type == QMetaType::QStringList)) {
        m_ok = false;
        return;
    }
    m_xml.writeStartElement(element);
    switch (type) {
    case QMetaType::UnknownType:
        m_xml.writeAttribute(TypeAttribute, InvalidType);
        break;
    case QMetaType::Bool:
        writeScalar(BoolType, value.toBool() ? TrueText : FalseText);
        break;
    case QMetaType::Int:
        writeScalar(IntType, QString::number(value.toInt()));
        break;
    case QMetaType::UInt:
        writeScalar(UIntType, QString::number(value.toUInt()));
        break;
    case QMetaType::LongLong:
        writeScalar(LongLongType, QString::number(value.toLongLong()));
        break;
    case QMetaType::ULongLong:
        writeScalar(ULongLongType, QString::number(value.toULongLong()));
        break;
    case QMetaType::Double:
        writeScalar(DoubleType, doubleText(value.toDouble()));
        break;
    case QMetaType::QVariantMap:
        m_xml.writeAttribute(TypeAttribute, MapType);
        writeMap(*static_cast<const QVariantMap *>(value.constData()), depth + 1);
        break;
    case QMetaType::QVariantList:
        m_xml.writeAttribute(TypeAttribute, ListType);
        for (const QVariant &item : *static_cast<const QVariantList *>(value.constData()))
            writeValue(ItemElement, item, depth + 1);
        break;
    case QMetaType::QStringList:
        m_xml.writeAttribute(TypeAttribute, StringListType);
        for (const QString &item : *static_cast<const QStringList *>(value.constData())) {
            m_xml.writeStartElement(ItemElement);
            writeScalar(StringType, item);
            m_xml.writeEndElement();
        }
        break;
    case QMetaType::QByteArray:
        writeScalar(ByteArrayType, QString::fromLatin1(value.toByteArray().toBase64()));
        break;
    case QMetaType::QDate: {
        const QDate date = value.toDate();
        writeDateScalar(DateType, date.isValid(), date.toString(Qt::ISODate));
        break;
    }
    case QMetaType::QTime:
        writeScalar(TimeType, value.toTime().toString(Qt::ISODate));
        break;
    case QMetaType::QDateTime: {
        const QDateTime dateTime = value.toDateTime();
        writeDateScalar(DateTimeType, dateTime.isValid(), dateTime.toString(Qt::ISODate));
        break;
    }
    default:
        if (type >= QMetaType::User) {
            const QByteArray bytes = serializeUserValue(value);
            if (!bytes.isEmpty()) {
                m_xml.writeAttribute(TypeAttribute, UserVariantType);
                m_xml.writeAttribute(TypeNameAttribute,
                                     QString::fromLatin1(QMetaType::typeName(type)));
                writeText(QString::fromLatin1(bytes.toBase64()));
                break;
            }
        }
        writeScalar(StringType, value.toString());
        break;
    }
    m_xml.writeEndElement();
}

void VariantXmlWriter::writeMap(const QVariantMap &map, int depth)
{
    // QMap iterates its QString keys in ascending order of UTF-16 code units.
    for (auto it = map.constBegin(); it != map.constEnd() && m_ok; ++it) {
        if (!checked(it.key()))
            return;
        m_xml.writeStartElement(EntryElement);
        m_xml.writeAttribute(KeyAttribute, it.key());
        writeValue(ValueElement, it.value(), depth);
        m_xml.writeEndElement();
    }
}

void VariantXmlWriter::writeScalar(const QString &type, const QString &text)
{
    m_xml.writeAttribute(TypeAttribute, type);
    if (checked(text))
        writeText(text);
}

// ISO 8601 spells the years 0 to 9999 only: the toolkit gives an empty text
// for a valid date beyond them, which would read back as an invalid date.
// Such a value fails the write, as texts XML cannot hold do.
void VariantXmlWriter::writeDateScalar(const QString &type, bool valid, const QString &text)
{
    if (valid && text.isEmpty())
        m_ok = false;
    writeScalar(type, text);
}

// Text content; nothing at all for an empty text, so that the element becomes
// an empty-element tag. A carriage return goes out as a character reference:
// written raw, every XML reader would turn it into a line feed.
void VariantXmlWriter::writeText(const QString &text)
{
    if (text.isEmpty())
        return;
    int start = 0;
    for (int cr = text.indexOf(QLatin1Char('\r')); cr >= 0;
         start = cr + 1, cr = text.indexOf(QLatin1Char('\r'), start)) {
        if (cr > start)
            m_xml.writeCharacters(text.mid(start, cr - start));
        m_xml.writeEntityReference(QStringLiteral("#13"));
    }
    if (start == 0)
        m_xml.writeCharacters(text);
    else if (start < text.size())
        m_xml.writeCharacters(text.mid(start));
}

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
    const QByteArray xml = VariantXmlWriter().write(map);
    // Without a successful commit the target stays as it was.
    if (xml.isEmpty() || !file.write(xml) || !file.commit())
        return fail(errorString, QStringLiteral("Fehler beim Schreiben des XML-Streams."));
    return true;
}
