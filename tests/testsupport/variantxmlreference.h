#pragma once

// The typed XML document as the toolkit's stream writer makes it (indent 2),
// refusing what the library refuses; and a strict comparison of maps.

#include <QBuffer>
#include <QDataStream>
#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QStringList>
#include <QTime>
#include <QVariantMap>
#include <QXmlStreamWriter>

#include <algorithm>
#include <cmath>

namespace variantxmlreference {

// What XML 1.0 can hold: surrogates only in pairs, no U+FFFE or U+FFFF, no
// controls but tab and the line ends.
inline bool isXmlText(const QString &text)
{
    return text.isValidUtf16() && std::none_of(text.begin(), text.end(), [](QChar c) {
               const ushort u = c.unicode();
               return (u < 0x20 && u != 0x9 && u != 0xA && u != 0xD) || u == 0xFFFE || u == 0xFFFF;
           });
}

class StreamWriter
{
public:
    QByteArray write(const QVariantMap &map)
    {
        QBuffer buffer(&m_bytes);
        buffer.open(QIODevice::WriteOnly);
        m_xml.setDevice(&buffer);
        m_xml.setAutoFormatting(true);
        m_xml.setAutoFormattingIndent(2);
        m_xml.writeStartDocument();
        writeValue(QStringLiteral("QVariantMap"), map, 0);
        m_xml.writeEndDocument();
        return m_ok && !m_xml.hasError() ? m_bytes : QByteArray();
    }

private:
    void writeValue(const QString &element, const QVariant &value, int nesting)
    {
        const int type = value.userType();
        if (!m_ok)
            return;
        if (nesting >= 512
            && (type == QMetaType::QVariantMap || type == QMetaType::QVariantList
                || type == QMetaType::QStringList)) {
            m_ok = false;
            return;
        }
        m_xml.writeStartElement(element);
        static const QHash<int, const char *> scalars{
            {QMetaType::Bool, "bool"},          {QMetaType::Int, "int"},
            {QMetaType::UInt, "uint"},          {QMetaType::LongLong, "longlong"},
            {QMetaType::ULongLong, "ulonglong"}, {QMetaType::Double, "double"},
            {QMetaType::QByteArray, "bytearray"}, {QMetaType::QDate, "date"},
            {QMetaType::QDateTime, "datetime"}, {QMetaType::QTime, "time"}};
        if (type == QMetaType::UnknownType) {
            m_xml.writeAttribute(QStringLiteral("type"), QStringLiteral("invalid"));
        } else if (scalars.contains(type)) {
            scalar(scalars.value(type), scalarText(value));
        } else if (type == QMetaType::QVariantMap) {
            m_xml.writeAttribute(QStringLiteral("type"), QStringLiteral("map"));
            const QVariantMap map = value.toMap();
            for (auto it = map.constBegin(); it != map.constEnd() && m_ok; ++it) {
                m_ok = isXmlText(it.key());
                m_xml.writeStartElement(QStringLiteral("entry"));
                m_xml.writeAttribute(QStringLiteral("key"), it.key());
                writeValue(QStringLiteral("value"), it.value(), nesting + 1);
                m_xml.writeEndElement();
            }
        } else if (type == QMetaType::QVariantList || type == QMetaType::QStringList) {
            const bool list = type == QMetaType::QVariantList;
            m_xml.writeAttribute(QStringLiteral("type"), list ? QStringLiteral("list") : QStringLiteral("stringlist"));
            for (const QVariant &item : value.toList()) {
                if (list) {
                    writeValue(QStringLiteral("item"), item, nesting + 1);
                } else {
                    m_xml.writeStartElement(QStringLiteral("item"));
                    scalar("string", item.toString());
                    m_xml.writeEndElement();
                }
            }
        } else if (type < QMetaType::User || !userValue(value)) {
            scalar("string", value.toString());
        }
        m_xml.writeEndElement();
    }

    // The text of a scalar; whole numbers are the variant's decimal text.
    QString scalarText(const QVariant &value)
    {
        switch (value.userType()) {
        case QMetaType::Bool:
            return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
        case QMetaType::Double: {
            const double number = value.toDouble();
            return number == 0.0 && std::signbit(number) ? QStringLiteral("-0") : QString::number(number, 'g', 17);
        }
        case QMetaType::QByteArray:
            return QString::fromLatin1(value.toByteArray().toBase64());
        case QMetaType::QDate:
        case QMetaType::QDateTime: {
            const QString text = value.userType() == QMetaType::QDate ? value.toDate().toString(Qt::ISODate)
                                                                      : value.toDateTime().toString(Qt::ISODate);
            // ISO 8601 cannot spell every valid date.
            const bool valid = value.userType() == QMetaType::QDate ? value.toDate().isValid()
                                                                    : value.toDateTime().isValid();
            m_ok = m_ok && !(valid && text.isEmpty());
            return text;
        }
        case QMetaType::QTime:
            return value.toTime().toString(Qt::ISODate);
        default:
            return value.toString();
        }
    }

    bool userValue(const QVariant &value)
    {
        QByteArray probe;
        QDataStream probeStream(&probe, QIODevice::WriteOnly);
        probeStream.setVersion(12);
        if (!QMetaType::save(probeStream, value.userType(), value.constData()))
            return false;
        QByteArray bytes;
        QDataStream stream(&bytes, QIODevice::WriteOnly);
        stream.setVersion(12);
        stream << value;
        if (stream.status() != QDataStream::Ok || bytes.isEmpty())
            return false;
        m_xml.writeAttribute(QStringLiteral("type"), QStringLiteral("uservariant"));
        m_xml.writeAttribute(QStringLiteral("typeName"),
                             QString::fromLatin1(QMetaType::typeName(value.userType())));
        text(QString::fromLatin1(bytes.toBase64()));
        return true;
    }

    void scalar(const char *type, const QString &value)
    {
        m_xml.writeAttribute(QStringLiteral("type"), QString::fromLatin1(type));
        if (!isXmlText(value))
            m_ok = false;
        else
            text(value);
    }

    // Carriage returns as character references; nothing for an empty text.
    void text(const QString &value)
    {
        const QStringList pieces = value.split(QLatin1Char('\r'));
        for (int i = 0; i < pieces.size(); ++i) {
            if (i > 0)
                m_xml.writeEntityReference(QStringLiteral("#13"));
            if (!pieces.at(i).isEmpty())
                m_xml.writeCharacters(pieces.at(i));
        }
    }

    QByteArray m_bytes;
    QXmlStreamWriter m_xml;
    bool m_ok = true;
};

/// The same data-stream bytes: types, null strings and double bits count.
inline bool identical(const QVariant &a, const QVariant &b)
{
    const auto bytes = [](const QVariant &value) {
        QByteArray result;
        QDataStream stream(&result, QIODevice::WriteOnly);
        stream << value;
        return result;
    };
    return bytes(a) == bytes(b);
}

} // namespace variantxmlreference
