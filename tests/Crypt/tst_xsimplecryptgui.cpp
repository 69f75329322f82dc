// XSimpleCrypt headers inside a GUI application, where the toolkit can read
// every GUI type: forged headers with values whose readers would reserve
// what the stream claims or nest without bound are unreadable blocks, never
// a crash; GUI values of fixed size travel; the others are refused when
// writing.

#include <Crypt/xsimplecrypt.h>

#include "testsupport/messagecapture.h"

#include <QBitmap>
#include <QBrush>
#include <QColor>
#include <QCursor>
#include <QDataStream>
#include <QFont>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QKeySequence>
#include <QMatrix4x4>
#include <QPalette>
#include <QPen>
#include <QPixmap>
#include <QPolygon>
#include <QQuaternion>
#include <QRegion>
#include <QSizePolicy>
#include <QTextFormat>
#include <QTextLength>
#include <QTransform>
#include <QVector2D>
#include <QVector3D>
#include <QVector4D>
#include <QtTest>

namespace {

constexpr quint64 s_master = Q_UINT64_C(0x57EAFE7E9F12DC80);
constexpr quint64 s_key = Q_UINT64_C(0x0123456789ABCDEF);

const QByteArray s_data("Lens data: R1 = 25.4 mm, R2 = -31.2 mm, d = 4 mm");

// A blob whose header block holds \a headerBytes, made like the library's.
QByteArray blobWithHeaderBytes(const QByteArray &headerBytes)
{
    SimpleCrypt headerCypher(s_master);
    headerCypher.setCompressionPolicy(SimpleCrypt::CompressAlways);
    headerCypher.setIntegrityMode(SimpleCrypt::HashIntegrity);
    SimpleCrypt dataCypher(s_key);
    return "encrypted<HEADER>" + headerCypher.encryptToByteArray(headerBytes) + "</HEADER>"
           + dataCypher.encryptToByteArray(s_data);
}

// Header bytes of one entry "g": the value's type id (stream version 12),
// a null flag, and what \a body writes.
template <class Body>
QByteArray oneEntry(quint32 type, Body body)
{
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    stream.setVersion(QDataStream::Qt_4_8);
    stream << quint32(1) << QStringLiteral("g") << type << qint8(0);
    body(stream);
    return bytes;
}

} // namespace

class tst_XSimpleCryptGui : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void forgedGuiValuesMakeTheHeaderUnreadable();
    void fixedSizeGuiValuesTravel();
    void otherGuiValuesAreRefusedWhenWriting();
};

void tst_XSimpleCryptGui::initTestCase()
{
    QVERIFY(qobject_cast<QGuiApplication *>(QCoreApplication::instance()));
}

void tst_XSimpleCryptGui::forgedGuiValuesMakeTheHeaderUnreadable()
{
    QVector<QPair<const char *, QByteArray>> forged;
    // A polygon (old id 71) that claims 0x7FFFFFF0 points.
    forged.append({"polygon", oneEntry(71, [](QDataStream &stream) {
                       stream << quint32(0x7FFFFFF0) << qint32(1) << qint32(2);
                   })});
    // 100 000 text formats (old id 79), each holding the next as a property.
    forged.append({"nested text formats", oneEntry(79, [](QDataStream &stream) {
                       for (int i = 0; i < 100000; ++i)
                           stream << qint32(QTextFormat::BlockFormat) << quint32(1) << qint32(0x1000)
                                  << quint32(79) << qint8(0);
                       stream << qint32(QTextFormat::BlockFormat) << quint32(0);
                   })});
    // A brush with a gradient of two billion stops, a pen with as many
    // dashes, a region and a polygon of doubles of as many rectangles and
    // points, and an image and a pixmap of garbage.
    forged.append({"brush", oneEntry(66, [](QDataStream &stream) {
                       stream << quint8(Qt::LinearGradientPattern) << QColor(Qt::red) << qint32(0)
                              << qint32(0) << qint32(0) << qint32(0) << quint32(0x7FFFFFF0);
                   })});
    forged.append({"pen", oneEntry(77, [](QDataStream &stream) {
                       stream << quint16(Qt::CustomDashLine) << double(1) << QColor(Qt::red)
                              << quint32(0x7FFFFFF0);
                   })});
    forged.append({"region", oneEntry(72, [](QDataStream &stream) {
                       stream << quint32(0x7FFFFFF0) << qint32(0);
                   })});
    forged.append({"polygon of doubles", oneEntry(127, [](QDataStream &stream) {
                       stream << QByteArray("QPolygonF") << quint32(0x7FFFFFF0);
                   })});
    forged.append({"image", oneEntry(70, [](QDataStream &stream) {
                       stream << QByteArray(200, '\xff');
                   })});
    forged.append({"pixmap", oneEntry(65, [](QDataStream &stream) {
                       stream << QByteArray(200, '\x01');
                   })});

    XSimpleCrypt reader(s_master);
    reader.setKey(s_key);
    MessageCapture quiet;
    for (const auto &[name, headerBytes] : forged) {
        QVariantMap header{{QStringLiteral("stale"), 1}};
        QCOMPARE(reader.decryptToByteArray(blobWithHeaderBytes(headerBytes), &header), s_data);
        QVERIFY2(header.isEmpty(), name);
        QCOMPARE(reader.lastError(), int(XSimpleCrypt::NoError));
        QByteArray blob = blobWithHeaderBytes(headerBytes);
        QVERIFY2(reader.getHeader(blob, true).isEmpty(), name);
    }
}

void tst_XSimpleCryptGui::fixedSizeGuiValuesTravel()
{
    QFont font(QStringLiteral("Sans"), 11);
    font.setItalic(true);
    const QVariantMap header{
        {QStringLiteral("colour"), QColor(10, 20, 30, 40)},
        {QStringLiteral("font"), font},
        {QStringLiteral("keys"), QKeySequence(QStringLiteral("Ctrl+K, Ctrl+S"))},
        {QStringLiteral("length"), QVariant::fromValue(QTextLength(QTextLength::FixedLength, 12))},
        {QStringLiteral("transform"), QTransform::fromScale(2, 3)},
        {QStringLiteral("matrix4x4"), QMatrix4x4(1, 0, 0, 4, 0, 1, 0, 5, 0, 0, 1, 6, 0, 0, 0, 1)},
        {QStringLiteral("v3"), QVector3D(1, 2, 3)},
        {QStringLiteral("quaternion"), QQuaternion(1, 0, 0, 0)},
        {QStringLiteral("policy"), QVariant::fromValue(QSizePolicy(QSizePolicy::Preferred, QSizePolicy::Minimum))},
        {QStringLiteral("in a list"), QVariantList{QColor(Qt::blue), QVector2D(4, 5)}}};
    XSimpleCrypt writer(s_master);
    writer.setKey(s_key);
    writer.setHeader(header);
    const QByteArray blob = writer.encryptToByteArray(s_data, true);
    QCOMPARE(writer.lastError(), int(XSimpleCrypt::NoError));

    XSimpleCrypt reader(s_master);
    QVariantMap back;
    QCOMPARE(reader.decryptToByteArray(blob, &back), s_data);
    QCOMPARE(back.take(QStringLiteral("Key")).toULongLong(), s_key);
    QCOMPARE(back, header);
}

void tst_XSimpleCryptGui::otherGuiValuesAreRefusedWhenWriting()
{
    QImage image(4, 4, QImage::Format_ARGB32);
    image.fill(Qt::green);
    QTextCharFormat format;
    format.setFontWeight(QFont::Bold);
    const QVector<QPair<const char *, QVariant>> values{
        {"polygon", QVariant::fromValue(QPolygon(QVector<QPoint>{QPoint(1, 2), QPoint(3, 4)}))},
        {"polygon of doubles", QVariant::fromValue(QPolygonF(QVector<QPointF>{QPointF(1, 2)}))},
        {"region", QVariant::fromValue(QRegion(0, 0, 4, 4))},
        {"brush", QVariant::fromValue(QBrush(Qt::red))},
        {"pen", QVariant::fromValue(QPen(Qt::red))},
        {"palette", QVariant::fromValue(QPalette(Qt::red))},
        {"text format", QVariant::fromValue<QTextFormat>(format)},
        {"image", QVariant::fromValue(image)},
        {"pixmap", QVariant::fromValue(QPixmap::fromImage(image))},
        {"bitmap", QVariant::fromValue(QBitmap(4, 4))},
        {"icon", QVariant::fromValue(QIcon(QPixmap::fromImage(image)))},
        {"cursor", QVariant::fromValue(QCursor(Qt::CrossCursor))},
        {"nested", QVariantMap{{QStringLiteral("inner"),
                                QVariantList{QVariant::fromValue(QPolygon())}}}}};
    XSimpleCrypt writer(s_master);
    writer.setKey(s_key);
    for (const auto &[name, value] : values) {
        const QVariantMap header{{QStringLiteral("value"), value}};
        writer.setHeader(header);
        MessageCapture capture;
        QVERIFY2(writer.encryptToByteArray(s_data, true).isEmpty(), name);
        QCOMPARE(writer.lastError(), int(XSimpleCrypt::IntegrityError));
        QCOMPARE(capture.texts(),
                 QStringList{QStringLiteral(
                     "Header entry \"value\" cannot be stored: its value cannot be read back. ")});
        QCOMPARE(writer.header(), header);
    }
}

int main(int argc, char *argv[])
{
    QGuiApplication application(argc, argv);
    tst_XSimpleCryptGui test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_xsimplecryptgui.moc"
