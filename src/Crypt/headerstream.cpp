#include "Crypt/headerstream_p.h"

#include <QBuffer>
#include <QDataStream>
#include <QByteArrayList>
#include <QKeySequence>
#include <QMetaType>
#include <QSizePolicy>
#include <QStringList>
#include <QVariantHash>
#include <QVariantList>

#include <functional>
#include <new>

namespace CryptKernels {

namespace {

constexpr QDataStream::Version s_streamVersion = QDataStream::Qt_4_8; // 12

bool readVariant(QDataStream &stream, QVariant *value, int depth);

// Swallows what it is given: serialising into it only tells whether a value
// can be written, at no memory cost.
class DiscardDevice : public QIODevice
{
public:
    DiscardDevice() { open(QIODevice::WriteOnly); }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *, qint64 size) override { return size; }
};

// Size policies are streamed by the toolkit's widgets module once it is set
// up; before that the toolkit warns and fails on every one.
bool canStreamSizePolicies()
{
    DiscardDevice device;
    QDataStream probe(&device);
    const QSizePolicy policy;
    return QMetaType::save(probe, QMetaType::QSizePolicy, &policy);
}

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
    // A variant keeps its type in 30 bits. The toolkit's own reader would
    // create the value with the full id and destroy it by the low bits (as a
    // different type); no writer produces such ids, so they are corrupt.
    if (id > 0x3FFFFFFF)
        return -1;
    return int(id);
}

// A value of any other type, read by the type's own stream reader: the id,
// the null flag and the name are consumed already, so the toolkit does not
// interpret the id a second time.
bool readPlainValue(QDataStream &stream, int type, bool named, QVariant *value)
{
    if (type == QMetaType::UnknownType) {
        if (named)
            return false; // a named type this application does not know
        QString placeholder; // an invalid variant is written with an empty text
        stream >> placeholder;
        *value = QVariant();
        return stream.status() == QDataStream::Ok;
    }
    if (!QMetaType::isRegistered(type))
        return false;
    QVariant read(type, nullptr);
    if (!read.isValid() || !QMetaType::load(stream, type, read.data()))
        return false;
    if (stream.status() != QDataStream::Ok)
        return false;
    *value = read;
    return true;
}

// GUI values are read only where the toolkit reads them in a size fixed by
// the type (a font's family name aside, read as any string is, no further
// than the data goes): fonts, colours, key sequences, text lengths,
// matrices, transforms, vectors, quaternions and size policies (where the
// toolkit streams them at all). All others (pixmaps, bitmaps, images,
// icons, cursors, brushes, pens, palettes, polygons, regions, text formats,
// colour spaces) make the map unreadable in every application: their
// readers reserve what the stream claims (a polygon of two billion points),
// nest without bound (a text format holds variants, which may hold text
// formats) or decode images; outside a GUI application the toolkit even
// aborts on a pixmap.
bool isReadableType(int type)
{
    if (type == QMetaType::QSizePolicy)
        return canStreamSizePolicies();
    if (type < QMetaType::FirstGuiType || type > QMetaType::LastGuiType)
        return true;
    switch (type) {
    case QMetaType::QFont:
    case QMetaType::QColor:
    case QMetaType::QKeySequence:
    case QMetaType::QTextLength:
    case QMetaType::QMatrix:
    case QMetaType::QTransform:
    case QMetaType::QMatrix4x4:
    case QMetaType::QVector2D:
    case QMetaType::QVector3D:
    case QMetaType::QVector4D:
    case QMetaType::QQuaternion:
        return true;
    default:
        return false;
    }
}

// A key sequence is a list of key codes (one or four as the toolkit writes
// them). The toolkit's reader stops quietly at the end of the data and
// leaves surplus codes in the stream; read the whole list here instead.
bool readKeySequence(QDataStream &stream, QVariant *value, bool isNull)
{
    quint32 count = 0;
    stream >> count;
    int keys[4] = {};
    for (quint32 i = 0; i < count && stream.status() == QDataStream::Ok; ++i) {
        quint32 key = 0;
        stream >> key;
        if (i < 4)
            keys[i] = int(key);
    }
    if (stream.status() != QDataStream::Ok)
        return false;
    const QKeySequence sequence(keys[0], keys[1], keys[2], keys[3]);
    *value = isNull && sequence.isEmpty() ? QVariant(QVariant::KeySequence) : QVariant::fromValue(sequence);
    return true;
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
    quint32 streamed = 0;
    qint8 isNull = 0;
    stream >> streamed >> isNull;
    int type = currentTypeId(streamed);
    if (type < 0)
        return false;
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
    case QMetaType::QKeySequence:
        return readKeySequence(stream, value, isNull);
    case QMetaType::QVariant: // a variant holding a variant
    case QMetaType::QVariantList:
    case QMetaType::QVariantMap:
    case QMetaType::QVariantHash:
        break;
    default:
        if (!isReadableType(type))
            return false;
        try {
            return readPlainValue(stream, type, streamed == s_namedType, value);
        } catch (const std::bad_alloc &) {
            return false; // an application type's reader asked for too much
        }
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

// Whether readVariant() will read \a value back: the same nesting bound, the
// same GUI types, and a type the toolkit can write at all (it writes a type
// without stream operators, such as QModelIndex, as a bare type id, after
// which nothing can be read).
bool isWritable(const QVariant &value, int depth, QDataStream &probe)
{
    const int type = value.userType();
    switch (type) {
    case QMetaType::UnknownType: // an invalid variant: its type id alone
    case QMetaType::QStringList:
    case QMetaType::QByteArrayList:
        return true;
    case QMetaType::QVariant:
    case QMetaType::QVariantList:
    case QMetaType::QVariantMap:
    case QMetaType::QVariantHash:
        break;
    default:
        return isReadableType(type) && QMetaType::save(probe, type, value.constData());
    }

    if (depth >= s_maximumNesting)
        return false;
    if (type == QMetaType::QVariant)
        return isWritable(*static_cast<const QVariant *>(value.constData()), depth + 1, probe);
    if (type == QMetaType::QVariantList) {
        for (const QVariant &item : *static_cast<const QVariantList *>(value.constData())) {
            if (!isWritable(item, depth + 1, probe))
                return false;
        }
        return true;
    }
    if (type == QMetaType::QVariantMap) {
        for (const QVariant &item : *static_cast<const QVariantMap *>(value.constData())) {
            if (!isWritable(item, depth + 1, probe))
                return false;
        }
        return true;
    }
    for (const QVariant &item : *static_cast<const QVariantHash *>(value.constData())) {
        if (!isWritable(item, depth + 1, probe))
            return false;
    }
    return true;
}

} // namespace

bool isWritableHeaderMap(const QVariantMap &map, QString *badKey)
{
    DiscardDevice device;
    QDataStream probe(&device);
    probe.setVersion(s_streamVersion);
    for (auto it = map.constBegin(); it != map.constEnd(); ++it) {
        if (!isWritable(it.value(), 0, probe)) {
            if (badKey)
                *badKey = it.key();
            return false;
        }
    }
    return true;
}

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
    try {
        if (!readEntries(stream, &result, 0))
            return false;
    } catch (const std::bad_alloc &) {
        return false;
    }
    *map = result;
    return true;
}

} // namespace CryptKernels
