#include "Crypt/headerstream_p.h"

#include <QBuffer>
#include <QDataStream>
#include <QGuiApplication>
#include <QMetaType>
#include <QVariantHash>
#include <QVariantList>

namespace CryptKernels {

namespace {

constexpr QDataStream::Version s_streamVersion = QDataStream::Qt_4_8; // 12

bool readVariant(QDataStream &stream, QVariant *value, int depth);

// Version 12 type ids of the GUI types (font to quaternion), and the id that
// announces a type by name.
constexpr quint32 s_firstGuiType = 64;
constexpr quint32 s_lastGuiType = 86;
constexpr quint32 s_namedType = 127;

// Pixmaps, bitmaps, cursors and icons can only be made in a GUI
// application; elsewhere the toolkit aborts the process when it reads one.
// The stream is positioned after the null flag.
bool readableHere(QDataStream &stream, quint32 type)
{
    if (qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return true;
    if (type == s_namedType) {
        QByteArray name;
        stream >> name;
        const int id = name.isEmpty() ? 0 : QMetaType::type(name.constData());
        return id < QMetaType::FirstGuiType || id > QMetaType::LastGuiType;
    }
    return type < s_firstGuiType || type > s_lastGuiType;
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

bool readList(QDataStream &stream, QVariantList *list, int depth)
{
    quint32 count = 0;
    stream >> count;
    for (quint32 i = 0; i < count && stream.status() == QDataStream::Ok; ++i) {
        QVariant value;
        if (!readVariant(stream, &value, depth))
            return false;
        list->append(value);
    }
    return stream.status() == QDataStream::Ok;
}

// A QVariant as the toolkit writes it at version 12: type id (quint32),
// null flag (qint8), value. Lists and maps are the only values that hold
// further values; they are read here, the rest by the toolkit.
bool readVariant(QDataStream &stream, QVariant *value, int depth)
{
    QIODevice *device = stream.device();
    const qint64 start = device->pos();
    quint32 type = 0;
    qint8 isNull = 0;
    stream >> type >> isNull;
    if (stream.status() != QDataStream::Ok)
        return false;

    if (type != QVariant::List && type != QVariant::Map && type != QVariant::Hash) {
        if (!readableHere(stream, type))
            return false;
        device->seek(start);
        stream >> *value;
        return stream.status() == QDataStream::Ok;
    }
    if (depth >= s_maximumNesting)
        return false;

    bool ok = false;
    bool empty = false;
    if (type == QVariant::List) {
        QVariantList list;
        ok = readList(stream, &list, depth + 1);
        empty = list.isEmpty();
        *value = list;
    } else if (type == QVariant::Map) {
        QVariantMap map;
        ok = readEntries(stream, &map, depth + 1);
        empty = map.isEmpty();
        *value = map;
    } else {
        QVariantHash hash;
        ok = readEntries(stream, &hash, depth + 1);
        empty = hash.isEmpty();
        *value = hash;
    }
    if (ok && isNull && empty)
        *value = QVariant(QVariant::Type(type)); // a null container, as written
    return ok;
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
