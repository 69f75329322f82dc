#include "Crypt/headerstream_p.h"

#include <QBuffer>
#include <QDataStream>
#include <QGuiApplication>
#include <QByteArrayList>
#include <QMetaType>
#include <QStringList>
#include <QVariantHash>
#include <QVariantList>

#include <functional>

namespace CryptKernels {

namespace {

constexpr QDataStream::Version s_streamVersion = QDataStream::Qt_4_8; // 12

bool readVariant(QDataStream &stream, QVariant *value, int depth);

// Version 12 streams carry the type ids of their time; this is the id the
// toolkit reads them as today (extended core types moved down, the GUI
// types after the size policy moved by one).
constexpr quint32 s_namedType = 127;

int currentTypeId(quint32 streamed)
{
    quint32 id = streamed;
    if (streamed >= 128)
        id = streamed - 97;
    else if (streamed == 75)
        id = QMetaType::QSizePolicy;
    else if (streamed > 75 && streamed <= 86)
        id = streamed - 1;
    // A variant keeps its type in 30 bits: a huge id is read as its low bits.
    return int(id & 0x3FFFFFFF);
}

// Pixmaps, bitmaps, cursors and icons can only be made in a GUI
// application; elsewhere the toolkit aborts the process when it reads one.
bool readableHere(int type)
{
    if (qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return true;
    return (type < QMetaType::FirstGuiType || type > QMetaType::LastGuiType)
           && type != QMetaType::QSizePolicy;
}

template <class Map>
bool readEntries(QDataStream &stream, Map *map, int depth)
{
    quint32 count = 0;
    stream >> count;
    for (quint32 i = 0; i < count && stream.status() == QDataStream::Ok; ++i) {
        QString key;
        QVariant value;
        stream >> key;
        if (stream.status() != QDataStream::Ok || !readVariant(stream, &value, depth))
            return false;
        map->insert(key, value);
    }
    return stream.status() == QDataStream::Ok;
}

// Element by element: the toolkit's own list reading reserves the count
// the stream claims, up to tens of gigabytes.
template <class List, class Read>
bool readList(QDataStream &stream, List *list, Read read)
{
    quint32 count = 0;
    stream >> count;
    for (quint32 i = 0; i < count && stream.status() == QDataStream::Ok; ++i) {
        typename List::value_type item;
        if (!read(&item))
            return false;
        list->append(item);
    }
    return stream.status() == QDataStream::Ok;
}

template <class Container>
bool readContainer(QVariant *value, bool isNull,
                   const std::function<bool(Container *)> &read)
{
    Container container;
    if (!read(&container))
        return false;
    // A null container is written as an empty one with the null flag.
    *value = isNull && container.isEmpty() ? QVariant(QVariant::Type(qMetaTypeId<Container>()))
                                           : QVariant::fromValue(container);
    return true;
}

// A QVariant as the toolkit writes it at version 12: type id (quint32),
// null flag (qint8), for a named type its name, then the value. Containers
// and variants held in a variant are read here (bounded in depth and
// allocation), the rest by the toolkit.
bool readVariant(QDataStream &stream, QVariant *value, int depth)
{
    QIODevice *device = stream.device();
    const qint64 start = device->pos();
    quint32 streamed = 0;
    qint8 isNull = 0;
    stream >> streamed >> isNull;
    int type = currentTypeId(streamed);
    if (streamed == s_namedType) {
        QByteArray name;
        stream >> name;
        type = name.isEmpty() ? QMetaType::UnknownType : QMetaType::type(name.constData());
    }
    if (stream.status() != QDataStream::Ok)
        return false;

    const auto readString = [&stream](QString *s) {
        stream >> *s;
        return stream.status() == QDataStream::Ok;
    };
    const auto readBytes = [&stream](QByteArray *b) {
        stream >> *b;
        return stream.status() == QDataStream::Ok;
    };
    const auto readValue = [&stream, depth](QVariant *v) { return readVariant(stream, v, depth + 1); };
    switch (type) {
    case QMetaType::QStringList:
        return readContainer<QStringList>(value, isNull, [&](QStringList *list) {
            return readList(stream, list, readString);
        });
    case QMetaType::QByteArrayList:
        return readContainer<QByteArrayList>(value, isNull, [&](QByteArrayList *list) {
            return readList(stream, list, readBytes);
        });
    case QMetaType::QVariant: // a variant holding a variant
    case QMetaType::QVariantList:
    case QMetaType::QVariantMap:
    case QMetaType::QVariantHash:
        break;
    default:
        if (!readableHere(type))
            return false;
        device->seek(start);
        stream >> *value;
        return stream.status() == QDataStream::Ok;
    }

    if (depth >= s_maximumNesting)
        return false;
    if (type == QMetaType::QVariant) {
        QVariant inner;
        if (!readVariant(stream, &inner, depth + 1))
            return false;
        *value = QVariant(QMetaType::QVariant, &inner);
        return true;
    }
    if (type == QMetaType::QVariantList)
        return readContainer<QVariantList>(value, isNull, [&](QVariantList *list) {
            return readList(stream, list, readValue);
        });
    if (type == QMetaType::QVariantMap)
        return readContainer<QVariantMap>(value, isNull, [&](QVariantMap *map) {
            return readEntries(stream, map, depth + 1);
        });
    return readContainer<QVariantHash>(value, isNull, [&](QVariantHash *hash) {
        return readEntries(stream, hash, depth + 1);
    });
}

} // namespace

QByteArray writeHeaderMap(const QVariantMap &map)
{
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    stream.setVersion(s_streamVersion);
    stream << quint32(map.size());
    for (auto it = map.constEnd(); it != map.constBegin();) {
        --it;
        stream << it.key() << it.value();
    }
    return bytes;
}

bool readHeaderMap(const QByteArray &bytes, QVariantMap *map)
{
    map->clear();
    QDataStream stream(bytes);
    stream.setVersion(s_streamVersion);
    QVariantMap result;
    if (!readEntries(stream, &result, 0))
        return false;
    *map = result;
    return true;
}

} // namespace CryptKernels
