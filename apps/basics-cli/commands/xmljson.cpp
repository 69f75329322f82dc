// xml-to-json FILE and json-to-xml IN.json OUT.xml: the typed XML files of
// a QVariantMap as JSON and back ("-" for standard input and output).
//
// JSON has objects, arrays, strings, numbers, booleans and null; the other
// types of the XML file are shown as a tagged object
//     {"@type": "<type name of the XML file>", "value": <text or array>}
// (see docs/persistence.md), which json-to-xml turns back into that type, so
// that xml-to-json followed by json-to-xml keeps every type.

#include "cli.h"

#include <Basics/basics.h>

#include <QDate>
#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTime>

#include <cmath>
#include <limits>

namespace {

const QString TypeKey = QStringLiteral("@type");
const QString ValueKey = QStringLiteral("value");

QJsonObject tagged(const QString &type, const QJsonValue &value)
{
    return QJsonObject{{TypeKey, type}, {ValueKey, value}};
}

// --- variant -> JSON ---------------------------------------------------------

QJsonValue toJson(const QVariant &value);

QJsonObject mapToJson(const QVariantMap &map)
{
    QJsonObject object;
    for (auto it = map.constBegin(); it != map.constEnd(); ++it)
        object.insert(it.key(), toJson(it.value()));
    return object;
}

QJsonValue toJson(const QVariant &value)
{
    switch (value.userType()) {
    case QMetaType::UnknownType:
        return QJsonValue(QJsonValue::Null);
    case QMetaType::Bool:
        return value.toBool();
    case QMetaType::Int:
        return value.toInt();
    case QMetaType::Double: {
        // A plain number comes back as a double only when it has a fraction.
        const double number = value.toDouble();
        if (std::isfinite(number) && number != std::trunc(number))
            return number;
        const QString text = number == 0.0 && std::signbit(number)
                                 ? QStringLiteral("-0")
                                 : QString::number(number, 'g', 17);
        return tagged(QStringLiteral("double"), text);
    }
    case QMetaType::QString:
        return value.toString();
    case QMetaType::QVariantMap:
        return mapToJson(value.toMap());
    case QMetaType::QVariantList: {
        QJsonArray array;
        for (const QVariant &item : value.toList())
            array.append(toJson(item));
        return array;
    }
    case QMetaType::QStringList:
        return tagged(QStringLiteral("stringlist"), QJsonArray::fromStringList(value.toStringList()));
    case QMetaType::UInt:
        return tagged(QStringLiteral("uint"), QString::number(value.toUInt()));
    case QMetaType::LongLong:
        return tagged(QStringLiteral("longlong"), QString::number(value.toLongLong()));
    case QMetaType::ULongLong:
        return tagged(QStringLiteral("ulonglong"), QString::number(value.toULongLong()));
    case QMetaType::QByteArray:
        return tagged(QStringLiteral("bytearray"), QString::fromLatin1(value.toByteArray().toBase64()));
    case QMetaType::QDate:
        return tagged(QStringLiteral("date"), value.toDate().toString(Qt::ISODate));
    case QMetaType::QTime:
        return tagged(QStringLiteral("time"), value.toTime().toString(Qt::ISODate));
    case QMetaType::QDateTime:
        return tagged(QStringLiteral("datetime"), value.toDateTime().toString(Qt::ISODate));
    default:
        return value.toString();
    }
}

// --- JSON -> variant ---------------------------------------------------------

class JsonToVariant
{
public:
    QVariant convert(const QJsonValue &value, const QString &path);
    QString error() const { return m_error; }

private:
    QVariant fromTagged(const QString &type, const QJsonValue &value, const QString &path);
    QVariant fail(const QString &path, const QString &what)
    {
        if (m_error.isEmpty())
            m_error = QStringLiteral("%1: %2").arg(path.isEmpty() ? QStringLiteral("/") : path, what);
        return QVariant();
    }

    QString m_error;
};

QVariant JsonToVariant::convert(const QJsonValue &value, const QString &path)
{
    switch (value.type()) {
    case QJsonValue::Null:
    case QJsonValue::Undefined:
        return QVariant();
    case QJsonValue::Bool:
        return value.toBool();
    case QJsonValue::String:
        return value.toString();
    case QJsonValue::Double: {
        // Whole numbers become int, or longlong beyond 32 bits.
        const QVariant number = value.toVariant();
        if (number.userType() == QMetaType::LongLong) {
            const qlonglong whole = number.toLongLong();
            if (whole >= std::numeric_limits<int>::min() && whole <= std::numeric_limits<int>::max())
                return int(whole);
            return whole;
        }
        return value.toDouble();
    }
    case QJsonValue::Array: {
        QVariantList list;
        const QJsonArray array = value.toArray();
        for (int i = 0; i < array.size(); ++i)
            list.append(convert(array.at(i), path + QLatin1Char('/') + QString::number(i)));
        return list;
    }
    case QJsonValue::Object: {
        const QJsonObject object = value.toObject();
        if (object.size() == 2 && object.contains(TypeKey) && object.contains(ValueKey)
            && object.value(TypeKey).isString())
            return fromTagged(object.value(TypeKey).toString(), object.value(ValueKey), path);
        QVariantMap map;
        for (auto it = object.constBegin(); it != object.constEnd(); ++it)
            map.insert(it.key(), convert(it.value(), path + QLatin1Char('/') + it.key()));
        return map;
    }
    }
    return QVariant();
}

QVariant JsonToVariant::fromTagged(const QString &type, const QJsonValue &value, const QString &path)
{
    if (type == QLatin1String("stringlist")) {
        if (!value.isArray())
            return fail(path, QStringLiteral("a stringlist needs an array"));
        QStringList list;
        for (const QJsonValue &item : value.toArray()) {
            if (!item.isString())
                return fail(path, QStringLiteral("a stringlist holds strings only"));
            list.append(item.toString());
        }
        return list;
    }
    if (!value.isString())
        return fail(path, QStringLiteral("the value of a tagged %1 must be a string").arg(type));
    const QString text = value.toString();
    bool ok = true;
    QVariant result;
    if (type == QLatin1String("double"))
        result = text.toDouble(&ok);
    else if (type == QLatin1String("uint"))
        result = text.toUInt(&ok, 10);
    else if (type == QLatin1String("longlong"))
        result = text.toLongLong(&ok, 10);
    else if (type == QLatin1String("ulonglong"))
        result = text.toULongLong(&ok, 10);
    else if (type == QLatin1String("bytearray"))
        result = QByteArray::fromBase64(text.toLatin1());
    else if (type == QLatin1String("date")) {
        const QDate date = QDate::fromString(text, Qt::ISODate);
        ok = text.isEmpty() || date.isValid(); // empty is the invalid date
        result = date;
    } else if (type == QLatin1String("time")) {
        const QTime time = QTime::fromString(text, Qt::ISODate);
        ok = text.isEmpty() || time.isValid();
        result = time;
    } else if (type == QLatin1String("datetime")) {
        const QDateTime dateTime = QDateTime::fromString(text, Qt::ISODate);
        ok = text.isEmpty() || dateTime.isValid();
        result = dateTime;
    } else
        return fail(path, QStringLiteral("unknown type \"%1\"").arg(type));
    if (!ok)
        return fail(path, QStringLiteral("\"%1\" is not a valid %2").arg(text, type));
    return result;
}

// --- commands ----------------------------------------------------------------

int runXmlToJson(const QStringList &arguments)
{
    const QString command = QStringLiteral("xml-to-json");
    if (arguments.size() != 1)
        return cli::usageError(command, QStringLiteral("expects one FILE"));
    // The library reads regular files only: standard input goes through a
    // temporary copy.
    QTemporaryDir scratch;
    QString file;
    QString error;
    if (!cli::inputFile(arguments.first(), scratch.path(), &file, &error))
        return cli::failure(command, error);
    QVariantMap map;
    if (!Basics::readVariantMapFromXml(file, &map, &error))
        return cli::failure(command, error);
    return cli::writeStdout(QJsonDocument(mapToJson(map)).toJson(QJsonDocument::Indented))
               ? cli::Success
               : cli::failure(command, QStringLiteral("cannot write to standard output"));
}

int runJsonToXml(const QStringList &arguments)
{
    const QString command = QStringLiteral("json-to-xml");
    if (arguments.size() != 2)
        return cli::usageError(command, QStringLiteral("expects IN.json and OUT.xml"));
    const QString inName = arguments.at(0) == QLatin1String("-") ? QStringLiteral("standard input")
                                                                  : arguments.at(0);
    QByteArray json;
    QString error;
    if (!cli::readInput(arguments.at(0), &json, &error))
        return cli::failure(command, error);
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return cli::failure(command, QStringLiteral("%1: JSON error at offset %2: %3")
                                         .arg(inName)
                                         .arg(parseError.offset)
                                         .arg(parseError.errorString()));
    if (!document.isObject())
        return cli::failure(command, QStringLiteral("%1: the JSON root must be an object").arg(inName));

    JsonToVariant converter;
    const QVariant map = converter.convert(document.object(), QString());
    if (!converter.error().isEmpty())
        return cli::failure(command, QStringLiteral("%1: %2").arg(inName, converter.error()));
    // {"@type": ..., "value": ...} stands for a single value, not for a map.
    if (map.userType() != QMetaType::QVariantMap)
        return cli::failure(command, QStringLiteral("%1: the JSON root is a tagged %2 value, not a map")
                                         .arg(inName, document.object().value(TypeKey).toString()));
    // The library writes files (atomically, or in place when the target is
    // not a regular file); standard output gets a temporary file's content.
    const bool toStdout = arguments.at(1) == QLatin1String("-");
    QTemporaryDir scratch;
    const QString target = toStdout ? scratch.filePath(QStringLiteral("out.xml")) : arguments.at(1);
    if (!Basics::writeVariantMapToXml(target, map.toMap(), &error))
        return cli::failure(command, error);
    QByteArray xml;
    if (toStdout && (!cli::readInput(target, &xml, &error) || !cli::writeOutput(QStringLiteral("-"), xml, &error)))
        return cli::failure(command, error);
    return cli::Success;
}

const cli::Registrar s_registerXmlToJson(cli::Command{
    QStringLiteral("xml-to-json"), QStringLiteral("xml-to-json FILE"),
    QStringLiteral("Print a typed XML file as JSON ('-': stdin)"),
    runXmlToJson});
const cli::Registrar s_registerJsonToXml(cli::Command{
    QStringLiteral("json-to-xml"), QStringLiteral("json-to-xml IN.json OUT.xml"),
    QStringLiteral("Write a JSON object as a typed XML file ('-': stdin, stdout)"), runJsonToXml});

} // namespace
