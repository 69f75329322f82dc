// The writer of typed XML documents: the bytes the toolkit's stream writer
// makes with automatic formatting and an indentation of 2, written straight
// into one buffer.
//
// That layout, which files rely on: the XML declaration, then every element
// on a line of its own, indented by 2 spaces per level; a scalar's text
// between its tags on the same line; an element without content as an
// empty-element tag; a line end after the root. Text escapes '<', '>', '&'
// and '"'; attribute values also tab, line feed and carriage return, as
// character references. A carriage return in text goes out as "&#13;":
// written raw, every XML reader would turn it into a line feed.

#include "Basics/variantxml_p.h"

#include <QDataStream>
#include <QDate>
#include <QDateTime>
#include <QIODevice>
#include <QStringList>
#include <QTime>

#include <charconv>
#include <cmath>
#include <cstring>
#include <new>

namespace VariantXml {

namespace {

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

class DocumentWriter
{
public:
    QByteArray write(const QVariantMap &map)
    {
        try {
            append("<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
            writeValue("QVariantMap", QVariant(map), 0, 0);
            append("\n");
        } catch (const std::bad_alloc &) {
            // A text's conversion larger than the memory or a string.
            return QByteArray();
        }
        if (!m_ok)
            return QByteArray();
        m_bytes.resize(int(m_size));
        return m_bytes;
    }

private:
    // Room for \a size more bytes at the end; null (and the write failed)
    // when the document would pass MaxDocumentSize or memory runs out.
    char *room(qint64 size)
    {
        if (!m_ok)
            return nullptr;
        if (m_size + size > m_bytes.size()) {
            if (m_size + size > MaxDocumentSize) {
                m_ok = false;
                return nullptr;
            }
            const qint64 grown = qMin(qMax(2 * qint64(m_bytes.size()), m_size + size + (1 << 16)),
                                      MaxDocumentSize);
            try {
                m_bytes.resize(int(grown));
            } catch (const std::bad_alloc &) {
                m_ok = false;
                return nullptr;
            }
        }
        return m_bytes.data() + m_size;
    }

    void append(const char *text, qint64 size)
    {
        if (char *out = room(size)) {
            std::memcpy(out, text, std::size_t(size));
            m_size += size;
        }
    }
    void append(const char *text) { append(text, qint64(std::strlen(text))); }
    void appendLatin1(const QString &text)
    {
        if (char *out = room(text.size())) {
            const QChar *in = text.constData();
            for (int i = 0; i < text.size(); ++i)
                out[i] = char(in[i].unicode());
            m_size += text.size();
        }
    }

    // \a depth is the element's indentation level, \a nesting the number of
    // maps and lists around the value.
    void writeValue(const char *element, const QVariant &value, int depth, int nesting);
    void writeMap(const char *element, const QVariantMap &map, int depth, int nesting);
    void writeScalar(const char *element, const char *type, const QString &text);
    void writeDateScalar(const char *element, const char *type, bool valid, const QString &text);
    void writeNumber(const char *element, const char *type, qlonglong number, bool isUnsigned);

    // "\n", the indentation and "<element".
    void startTag(const char *element, int depth)
    {
        const qint64 length = qint64(std::strlen(element));
        if (char *out = room(2 + 2 * qint64(depth) + length)) {
            *out++ = '\n';
            std::memset(out, ' ', std::size_t(2 * depth));
            out += 2 * depth;
            *out++ = '<';
            std::memcpy(out, element, std::size_t(length));
            m_size += 2 + 2 * qint64(depth) + length;
        }
    }
    // "\n", the indentation and "</element>", after child elements.
    void endTagOnItsLine(const char *element, int depth)
    {
        const qint64 length = qint64(std::strlen(element));
        if (char *out = room(4 + 2 * qint64(depth) + length)) {
            *out++ = '\n';
            std::memset(out, ' ', std::size_t(2 * depth));
            out += 2 * depth;
            *out++ = '<';
            *out++ = '/';
            std::memcpy(out, element, std::size_t(length));
            out[length] = '>';
            m_size += 4 + 2 * qint64(depth) + length;
        }
    }
    void typeAttribute(const char *type)
    {
        append(" type=\"");
        append(type);
        append("\"");
    }
    // Text content and the end tag, or the end of an empty-element tag.
    void content(const char *element, const QString &text)
    {
        if (text.isEmpty()) {
            append("/>");
            return;
        }
        append(">");
        if (!appendEscaped(text, false)) {
            m_ok = false;
            return;
        }
        append("</");
        append(element);
        append(">");
    }

    bool appendEscaped(const QString &text, bool attribute);

    QByteArray m_bytes;
    qint64 m_size = 0;
    bool m_ok = true;
};

// UTF-8 with XML's escapes. False for a text XML 1.0 cannot hold: control
// characters other than tab, line feed and carriage return, U+FFFE, U+FFFF
// and unpaired surrogates have no representation at all, and a file with
// them would be one that no reader accepts.
bool DocumentWriter::appendEscaped(const QString &text, bool attribute)
{
    const int length = text.size();
    char *const start = room(6 * qint64(length));
    if (!start)
        return true; // the write has failed already
    char *out = start;
    const ushort *in = text.utf16();
    for (int i = 0; i < length; ++i) {
        const ushort u = in[i];
        if (u >= 0x80) {
            if (u < 0x800) {
                *out++ = char(0xC0 | (u >> 6));
                *out++ = char(0x80 | (u & 0x3F));
            } else if (u >= 0xD800 && u < 0xE000) {
                if (u >= 0xDC00 || i + 1 == length || in[i + 1] < 0xDC00 || in[i + 1] >= 0xE000)
                    return false;
                const uint code = 0x10000 + ((uint(u) - 0xD800) << 10) + (uint(in[++i]) - 0xDC00);
                *out++ = char(0xF0 | (code >> 18));
                *out++ = char(0x80 | ((code >> 12) & 0x3F));
                *out++ = char(0x80 | ((code >> 6) & 0x3F));
                *out++ = char(0x80 | (code & 0x3F));
            } else {
                if (u >= 0xFFFE)
                    return false;
                *out++ = char(0xE0 | (u >> 12));
                *out++ = char(0x80 | ((u >> 6) & 0x3F));
                *out++ = char(0x80 | (u & 0x3F));
            }
            continue;
        }
        const char *escape = nullptr;
        switch (u) {
        case '<': escape = "&lt;"; break;
        case '>': escape = "&gt;"; break;
        case '&': escape = "&amp;"; break;
        case '"': escape = "&quot;"; break;
        case '\r': escape = "&#13;"; break;
        case '\t': escape = attribute ? "&#9;" : nullptr; break;
        case '\n': escape = attribute ? "&#10;" : nullptr; break;
        default:
            if (u < 0x20)
                return false;
            break;
        }
        if (escape) {
            const std::size_t size = std::strlen(escape);
            std::memcpy(out, escape, size);
            out += size;
        } else {
            *out++ = char(u);
        }
    }
    m_size += out - start;
    return true;
}

void DocumentWriter::writeValue(const char *element, const QVariant &value, int depth, int nesting)
{
    if (!m_ok)
        return;
    const int type = value.userType();
    const bool container = type == QMetaType::QVariantMap || type == QMetaType::QVariantList
                           || type == QMetaType::QStringList;
    // The reader refuses maps and lists nested deeper than this; a file it
    // can never read back is not written either.
    if (container && nesting >= MaxNestingDepth) {
        m_ok = false;
        return;
    }
    startTag(element, depth);
    switch (type) {
    case QMetaType::UnknownType:
        typeAttribute("invalid");
        append("/>");
        return;
    case QMetaType::Bool:
        writeScalar(element, "bool", value.toBool() ? TrueText : FalseText);
        return;
    case QMetaType::Int:
        writeNumber(element, "int", value.toInt(), false);
        return;
    case QMetaType::UInt:
        writeNumber(element, "uint", qlonglong(value.toUInt()), true);
        return;
    case QMetaType::LongLong:
        writeNumber(element, "longlong", value.toLongLong(), false);
        return;
    case QMetaType::ULongLong:
        writeNumber(element, "ulonglong", qlonglong(value.toULongLong()), true);
        return;
    case QMetaType::Double:
        writeScalar(element, "double", doubleText(value.toDouble()));
        return;
    case QMetaType::QVariantMap:
        typeAttribute("map");
        writeMap(element, *static_cast<const QVariantMap *>(value.constData()), depth, nesting + 1);
        return;
    case QMetaType::QVariantList: {
        typeAttribute("list");
        const QVariantList &list = *static_cast<const QVariantList *>(value.constData());
        if (list.isEmpty()) {
            append("/>");
            return;
        }
        append(">");
        for (const QVariant &item : list)
            writeValue("item", item, depth + 1, nesting + 1);
        endTagOnItsLine(element, depth);
        return;
    }
    case QMetaType::QStringList: {
        typeAttribute("stringlist");
        const QStringList &list = *static_cast<const QStringList *>(value.constData());
        if (list.isEmpty()) {
            append("/>");
            return;
        }
        append(">");
        for (const QString &item : list) {
            startTag("item", depth + 1);
            writeScalar("item", "string", item);
        }
        endTagOnItsLine(element, depth);
        return;
    }
    case QMetaType::QByteArray:
        writeScalar(element, "bytearray", QString::fromLatin1(value.toByteArray().toBase64()));
        return;
    case QMetaType::QDate: {
        const QDate date = value.toDate();
        writeDateScalar(element, "date", date.isValid(), date.toString(Qt::ISODate));
        return;
    }
    case QMetaType::QTime:
        writeScalar(element, "time", value.toTime().toString(Qt::ISODate));
        return;
    case QMetaType::QDateTime: {
        const QDateTime dateTime = value.toDateTime();
        writeDateScalar(element, "datetime", dateTime.isValid(), dateTime.toString(Qt::ISODate));
        return;
    }
    default:
        break;
    }
    if (type >= QMetaType::User) {
        const QByteArray bytes = serializeUserValue(value);
        if (!bytes.isEmpty()) {
            typeAttribute("uservariant");
            append(" typeName=\"");
            if (!appendEscaped(QString::fromLatin1(QMetaType::typeName(type)), true))
                m_ok = false;
            append("\"");
            content(element, QString::fromLatin1(bytes.toBase64()));
            return;
        }
    }
    writeScalar(element, "string", value.toString());
}

void DocumentWriter::writeMap(const char *element, const QVariantMap &map, int depth, int nesting)
{
    if (map.isEmpty()) {
        append("/>");
        return;
    }
    append(">");
    // QMap iterates its QString keys in ascending order of UTF-16 code units.
    for (auto it = map.constBegin(); it != map.constEnd() && m_ok; ++it) {
        startTag("entry", depth + 1);
        append(" key=\"");
        if (!appendEscaped(it.key(), true)) {
            m_ok = false;
            return;
        }
        append("\">");
        writeValue("value", it.value(), depth + 2, nesting);
        endTagOnItsLine("entry", depth + 1);
    }
    endTagOnItsLine(element, depth);
}

void DocumentWriter::writeScalar(const char *element, const char *type, const QString &text)
{
    typeAttribute(type);
    content(element, text);
}

// ISO 8601 spells the years 0 to 9999 only: the toolkit gives an empty text
// for a valid date beyond them, which would read back as an invalid date.
// Such a value fails the write, as texts XML cannot hold do.
void DocumentWriter::writeDateScalar(const char *element, const char *type, bool valid,
                                     const QString &text)
{
    if (valid && text.isEmpty())
        m_ok = false;
    writeScalar(element, type, text);
}

void DocumentWriter::writeNumber(const char *element, const char *type, qlonglong number,
                                 bool isUnsigned)
{
    typeAttribute(type);
    char digits[24];
    const std::to_chars_result result =
        isUnsigned ? std::to_chars(digits, digits + sizeof digits, qulonglong(number))
                   : std::to_chars(digits, digits + sizeof digits, number);
    append(">");
    append(digits, result.ptr - digits);
    append("</");
    append(element);
    append(">");
}

} // namespace

QByteArray writeDocument(const QVariantMap &map)
{
    return DocumentWriter().write(map);
}

} // namespace VariantXml
