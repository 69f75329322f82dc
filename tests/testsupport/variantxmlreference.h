#pragma once

// The reference for the typed XML writer: the document as the toolkit's
// stream writer makes it (automatic formatting, indentation 2), with the
// library's rules for what is refused. Plus a comparison of maps that also
// tells types, null strings and the bits of doubles apart.

#include <QBuffer>
#include <QDataStream>
#include <QDate>
#include <QDateTime>
#include <QStringList>
#include <QTime>
#include <QVariantMap>
#include <QXmlStreamWriter>

#include <cmath>

namespace variantxmlreference {

inline bool isXmlText(const QString &text)
{
    for (int i = 0; i < text.size(); ++i) {
        const ushort u = text.at(i).unicode();
        if (u < 0x20 && u != 0x9 && u != 0xA && u != 0xD)
            return false;
        if (u == 0xFFFE || u == 0xFFFF || QChar::isLowSurrogate(u))
            return false;
        if (QChar::isHighSurrogate(u)) {
            if (i + 1 == text.size() || !text.at(i + 1).isLowSurrogate())
                return false;
            ++i;
        }
    }
    return true;
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
        const QString typeAttribute = QStringLiteral("type");
        switch (type) {
        case QMetaType::UnknownType:
            m_xml.writeAttribute(typeAttribute, QStringLiteral("invalid"));
            break;
        case QMetaType::Bool:
            scalar("bool", value.toBool() ? QStringLiteral("true") : QStringLiteral("false"));
            break;
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong: // the variant's text of a whole number is its decimal
            scalar(type == QMetaType::Int ? "int" : type == QMetaType::UInt ? "uint"
                   : type == QMetaType::LongLong ? "longlong" : "ulonglong", value.toString());
            break;
        case QMetaType::Double: {
            const double number = value.toDouble();
            scalar("double", number == 0.0 && std::signbit(number) ? QStringLiteral("-0")
                                                                    : QString::number(number, 'g', 17));
            break;
        }
        case QMetaType::QVariantMap: {
            m_xml.writeAttribute(typeAttribute, QStringLiteral("map"));
            const QVariantMap map = value.toMap();
            for (auto it = map.constBegin(); it != map.constEnd() && m_ok; ++it) {
                m_ok = isXmlText(it.key());
                m_xml.writeStartElement(QStringLiteral("entry"));
                m_xml.writeAttribute(QStringLiteral("key"), it.key());
                writeValue(QStringLiteral("value"), it.value(), nesting + 1);
                m_xml.writeEndElement();
            }
            break;
        }
        case QMetaType::QVariantList:
        case QMetaType::QStringList:
            m_xml.writeAttribute(typeAttribute, type == QMetaType::QVariantList ? QStringLiteral("list")
                                                                                : QStringLiteral("stringlist"));
            for (const QVariant &item : value.toList()) {
                if (type == QMetaType::QVariantList) {
                    writeValue(QStringLiteral("item"), item, nesting + 1);
                } else {
                    m_xml.writeStartElement(QStringLiteral("item"));
                    scalar("string", item.toString());
                    m_xml.writeEndElement();
                }
            }
            break;
        case QMetaType::QByteArray:
            scalar("bytearray", QString::fromLatin1(value.toByteArray().toBase64()));
            break;
        case QMetaType::QDate:
        case QMetaType::QDateTime: {
            const bool date = type == QMetaType::QDate;
            const QString text = date ? value.toDate().toString(Qt::ISODate)
                                      : value.toDateTime().toString(Qt::ISODate);
            // ISO 8601 cannot spell every valid date.
            if ((date ? value.toDate().isValid() : value.toDateTime().isValid()) && text.isEmpty())
                m_ok = false;
            scalar(date ? "date" : "datetime", text);
            break;
        }
        case QMetaType::QTime:
            scalar("time", value.toTime().toString(Qt::ISODate));
            break;
        default:
            if (type >= QMetaType::User && userValue(value))
                break;
            scalar("string", value.toString());
            break;
        }
        m_xml.writeEndElement();
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

/// Equal including the type of every value, null against empty strings and
/// the bits of doubles (NaN equals NaN, 0 differs from -0): the same bytes in
/// the toolkit's data stream.
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
