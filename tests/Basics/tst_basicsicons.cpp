// Basics' icon helpers: icon files written by the toolkit's own stream
// operator read back pixel for pixel, the debug lines of loadIcon, truncated
// and hostile files (file references to FIFOs and devices, oversized images,
// foreign engines), smooth upscales, and tinted and grey button looks
// checked on pixels.

#include <Basics/basics.h>
#include <Output/mywarnings.h>

#include "testsupport/messagecapture.h"

#include <QApplication>
#include <QBuffer>
#include <QDataStream>
#include <QFile>
#include <QPainter>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

#include <climits>
#include <optional>

#include <sys/stat.h>

namespace {

QByteArray serialised(const QIcon &icon)
{
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    stream << icon;
    return bytes;
}

QByteArray pngBytes(const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// An icon-file entry as the pixmap engine streams it.
struct Entry
{
    QByteArray png; // empty: no image
    QString fileName;
    quint32 mode = QIcon::Normal;
    quint32 state = QIcon::Off;
};

QByteArray pixmapEngineFile(const QList<Entry> &entries, std::optional<qint32> count = {})
{
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    stream << QStringLiteral("QPixmapIconEngine") << count.value_or(qint32(entries.size()));
    for (const Entry &entry : entries) {
        stream << qint32(entry.png.isEmpty() ? 0 : 1);
        stream.writeRawData(entry.png.constData(), entry.png.size());
        stream << entry.fileName << QSize(16, 16) << entry.mode << entry.state;
    }
    return bytes;
}

// 16 x 16: left half opaque red, right half opaque blue, one transparent
// and one half-transparent corner pixel.
QImage twoColourImage(int size = 16)
{
    QImage image(size, size, QImage::Format_ARGB32);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x)
            image.setPixel(x, y, x < size / 2 ? qRgb(255, 0, 0) : qRgb(0, 0, 255));
    }
    image.setPixel(0, 0, qRgba(0, 0, 0, 0));
    image.setPixel(size - 1, size - 1, qRgba(0, 0, 255, 100));
    return image;
}

QImage imageOf(const QIcon &icon, int size, QIcon::Mode mode = QIcon::Normal,
               QIcon::State state = QIcon::Off)
{
    return icon.pixmap(QSize(size, size), mode, state).toImage().convertToFormat(QImage::Format_ARGB32);
}

} // namespace

class TestBasicsIcons : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void readsWhatTheToolkitWrites();
    void loadIconLines_data();
    void loadIconLines();
    void hostileFiles_data();
    void hostileFiles();
    void everyTruncationRefused();
    void addSizes_data();
    void addSizes();
    void buttonLooks();

private:
    QString writeFile(const QString &name, const QByteArray &bytes);
    QTemporaryDir m_dir;
};

void TestBasicsIcons::initTestCase()
{
    QVERIFY(m_dir.isValid());
}

void TestBasicsIcons::init()
{
    MyWarnings::debugLevel = -100; // quiet unless a case asks for the lines
}

QString TestBasicsIcons::writeFile(const QString &name, const QByteArray &bytes)
{
    const QString path = m_dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

void TestBasicsIcons::readsWhatTheToolkitWrites()
{
    // Pixmaps of several sizes, modes and states.
    QIcon icon;
    icon.addPixmap(QPixmap::fromImage(twoColourImage(16)));
    icon.addPixmap(QPixmap::fromImage(twoColourImage(32)));
    icon.addPixmap(QPixmap::fromImage(twoColourImage(24).mirrored(true, false)), QIcon::Normal,
                   QIcon::On);
    icon.addPixmap(QPixmap::fromImage(twoColourImage(16).rgbSwapped()), QIcon::Disabled);
    const QIcon back = Basics::loadIcon(writeFile("pixmaps.icon", serialised(icon)));
    QVERIFY(!back.isNull());
    QCOMPARE(back.availableSizes(), (QList<QSize>{{16, 16}, {32, 32}}));
    QCOMPARE(back.availableSizes(QIcon::Normal, QIcon::On), QList<QSize>{QSize(24, 24)});
    QCOMPARE(imageOf(back, 16), imageOf(icon, 16));
    QCOMPARE(imageOf(back, 32), imageOf(icon, 32));
    QCOMPARE(imageOf(back, 24, QIcon::Normal, QIcon::On), imageOf(icon, 24, QIcon::Normal, QIcon::On));
    QCOMPARE(imageOf(back, 16, QIcon::Disabled), imageOf(icon, 16, QIcon::Disabled));

    // An icon from a theme is stored by name and found again in the theme.
    QDir themes(m_dir.filePath("themes"));
    QVERIFY(themes.mkpath("lenses/16x16/actions"));
    writeFile("themes/lenses/index.theme",
              "[Icon Theme]\nName=lenses\nDirectories=16x16/actions\n\n[16x16/actions]\nSize=16\n");
    QVERIFY(twoColourImage().save(themes.filePath("lenses/16x16/actions/focus.png")));
    QIcon::setThemeSearchPaths({themes.path()});
    QIcon::setThemeName("lenses");
    const QIcon themed = QIcon::fromTheme("focus");
    QVERIFY(!themed.isNull());
    const QIcon themedBack = Basics::loadIcon(writeFile("theme.icon", serialised(themed)));
    QCOMPARE(themedBack.name(), QStringLiteral("focus"));
    QCOMPARE(imageOf(themedBack, 16), imageOf(themed, 16));

    // An entry that names a regular image file instead of holding one.
    const QString png = writeFile("named.png", pngBytes(twoColourImage()));
    const QIcon named = Basics::loadIcon(writeFile("named.icon", pixmapEngineFile({{{}, png}})));
    QCOMPARE(imageOf(named, 16), twoColourImage());
}

void TestBasicsIcons::loadIconLines_data()
{
    QTest::addColumn<QString>("name"); // written with the content below, or not at all
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("debugLevel");
    QTest::addColumn<bool>("loaded");
    QTest::addColumn<QStringList>("lines"); // after the elapsed reading; %1: the path

    const QString entry =
        QStringLiteral("static QIcon Basics::loadIcon(const QString&) Basics\\basics.cpp ( 730 )   ");
    const QString place =
        QStringLiteral("static QIcon Basics::loadIcon(const QString&) Basics\\basics.cpp ( %1 )  ");
    QIcon icon;
    icon.addPixmap(QPixmap::fromImage(twoColourImage()));
    const QByteArray valid = serialised(icon);

    QTest::newRow("valid") << "valid.icon" << valid << -99 << true << QStringList{entry};
    QTest::newRow("missing") << "" << QByteArray() << -99 << false
                             << QStringList{entry, place.arg(741) + "Unable to open file: \"%1\" "};
    QTest::newRow("no icon") << "text.icon" << QByteArray("no icon here") << -99 << false
                             << QStringList{entry, place.arg(738) + "Invalid icon: \"%1\" "};
    QTest::newRow("empty file") << "empty.icon" << QByteArray() << 0 << false
                                << QStringList{entry, place.arg(738) + "Invalid icon: \"%1\" "};
    QTest::newRow("level gate closed") << "text2.icon" << QByteArray("x") << -100 << false
                                       << QStringList();
}

void TestBasicsIcons::loadIconLines()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(int, debugLevel);
    QFETCH(bool, loaded);
    QFETCH(QStringList, lines);

    const QString path = name.isEmpty() ? m_dir.filePath("missing.icon") : writeFile(name, content);
    MyWarnings::debugLevel = debugLevel;
    MessageCapture capture;
    QCOMPARE(!Basics::loadIcon(path).isNull(), loaded);
    QStringList written;
    for (const QString &text : capture.texts()) {
        QVERIFY2(text.startsWith('"') && text.indexOf("\" ") == 13, qPrintable(text)); // "hh:mm:ss:zzz"
        written << text.mid(15);
    }
    for (QString &line : lines)
        line = line.arg(path);
    QCOMPARE(written, lines);
}

void TestBasicsIcons::hostileFiles_data()
{
    QTest::addColumn<QByteArray>("content");

    const QByteArray png = pngBytes(twoColourImage());
    QByteArray wide = pngBytes(QImage(8193, 1, QImage::Format_RGB32));
    QByteArray badPng = png;
    badPng[40] = char(badPng[40] ^ 0x55); // inside the image data: the decoder refuses it
    const QString fifo = m_dir.filePath("fifo");
    mkfifo(qPrintable(fifo), 0600);

    QTest::newRow("FIFO named") << pixmapEngineFile({{{}, fifo}});
    QTest::newRow("device named") << pixmapEngineFile({{{}, "/dev/zero"}});
    QTest::newRow("folder named") << pixmapEngineFile({{{}, m_dir.path()}});
    QTest::newRow("FIFO after a good entry") << pixmapEngineFile({{png, {}}, {{}, fifo}});
    QTest::newRow("image too wide") << pixmapEngineFile({{wide, {}}});
    QTest::newRow("image does not decode") << pixmapEngineFile({{badPng, {}}});
    QTest::newRow("not a PNG") << pixmapEngineFile({{QByteArray("GIF89a") + png.mid(6), {}}});
    QTest::newRow("mode 4") << pixmapEngineFile({{png, {}, 4, QIcon::Off}});
    QTest::newRow("state 2") << pixmapEngineFile({{png, {}, QIcon::Normal, 2}});
    QTest::newRow("count 0") << pixmapEngineFile({}, 0);
    QTest::newRow("count negative") << pixmapEngineFile({{png, {}}}, INT_MIN);
    QTest::newRow("count beyond entries") << pixmapEngineFile({{png, {}}}, 2);
    QTest::newRow("count huge") << pixmapEngineFile({{png, {}}}, 0x7fffffff);
    QByteArray foreign;
    {
        QDataStream stream(&foreign, QIODevice::WriteOnly);
        stream << QStringLiteral("svg") << qint32(0);
    }
    QTest::newRow("foreign engine") << foreign;
    QTest::newRow("odd key length") << QByteArray("\x00\x00\x00\x03QPi", 7);
    QTest::newRow("key length beyond file") << QByteArray("\x7f\xff\xff\xfe\x00Q", 6);
    QTest::newRow("null key") << QByteArray("\xff\xff\xff\xff", 4);
}

void TestBasicsIcons::hostileFiles()
{
    QFETCH(QByteArray, content);
    const QString path = writeFile(QString::fromLatin1(QTest::currentDataTag()) + ".icon", content);
    QVERIFY(Basics::loadIcon(path).isNull());
}

void TestBasicsIcons::everyTruncationRefused()
{
    QIcon icon;
    icon.addPixmap(QPixmap::fromImage(twoColourImage(16)));
    icon.addPixmap(QPixmap::fromImage(twoColourImage(8)), QIcon::Active, QIcon::On);
    const QByteArray whole = serialised(icon);
    const QString path = m_dir.filePath("cut.icon");
    for (int size = 0; size < whole.size(); ++size) {
        writeFile("cut.icon", whole.left(size));
        QVERIFY2(Basics::loadIcon(path).isNull(), qPrintable(QString::number(size)));
    }
    writeFile("cut.icon", whole + "trailing bytes are ignored");
    QVERIFY(!Basics::loadIcon(path).isNull());
}

void TestBasicsIcons::addSizes_data()
{
    QTest::addColumn<QList<int>>("sizes");
    QTest::addColumn<bool>("nullIcon");
    QTest::addColumn<bool>("added");
    QTest::addColumn<QList<QSize>>("available");

    const QSize s16(16, 16), s32(32, 32), s48(48, 48);
    QTest::newRow("16, 32, 48") << QList<int>{16, 32, 48} << false << true
                                << QList<QSize>{s16, s32, s48};
    QTest::newRow("16 only") << QList<int>{16} << false << false << QList<QSize>{s16};
    QTest::newRow("smaller") << QList<int>{8, 0, -4} << false << false << QList<QSize>{s16};
    QTest::newRow("beyond 8192") << QList<int>{100000} << false << false << QList<QSize>{s16};
    QTest::newRow("no sizes") << QList<int>{} << false << false << QList<QSize>{s16};
    QTest::newRow("null icon") << QList<int>{32} << true << false << QList<QSize>{};
}

void TestBasicsIcons::addSizes()
{
    QFETCH(QList<int>, sizes);
    QFETCH(bool, nullIcon);
    QFETCH(bool, added);
    QFETCH(QList<QSize>, available);

    QIcon icon;
    if (!nullIcon)
        icon.addPixmap(QPixmap::fromImage(twoColourImage()));
    QCOMPARE(Basics::addSizes(icon, sizes), added);
    QCOMPARE(icon.availableSizes(), available);
    if (!available.contains(QSize(32, 32)))
        return;
    // A smooth upscale blends across the red/blue border (columns 15 and 16
    // of 32); a pixel copy would not.
    const QImage large = imageOf(icon, 32);
    QCOMPARE(large.size(), QSize(32, 32));
    const QRgb border = large.pixel(15, 8);
    QVERIFY2(qRed(border) > 0 && qRed(border) < 255 && qBlue(border) > 0 && qBlue(border) < 255,
             qPrintable(QString::number(border, 16)));
    QCOMPARE(large.pixel(4, 8), qRgb(255, 0, 0));
}

void TestBasicsIcons::buttonLooks()
{
    // Pure primaries and white, one transparent and one translucent pixel.
    QImage source(4, 2, QImage::Format_ARGB32);
    const QRgb pixels[] = {qRgb(255, 0, 0), qRgb(0, 255, 0),   qRgb(0, 0, 255),
                           qRgb(255, 255, 255), qRgba(0, 0, 0, 0), qRgba(255, 0, 0, 100),
                           qRgb(10, 20, 30), qRgb(0, 0, 0)};
    for (int i = 0; i < 8; ++i)
        source.setPixel(i % 4, i / 4, pixels[i]);
    const QIcon original(QPixmap::fromImage(source));

    QToolButton button;
    button.setIconSize(QSize(4, 2));
    button.setIcon(original);
    Basics::applyGrayscaleIcons(&button);
    const QImage gray = button.icon().pixmap(QSize(4, 2), QIcon::Normal, QIcon::Off).toImage()
                            .convertToFormat(QImage::Format_ARGB32);
    const int expectedGray[] = {87, 127, 39, 255, -1, 87, 18, 0};
    for (int i = 0; i < 8; ++i) {
        const QRgb pixel = gray.pixel(i % 4, i / 4);
        QCOMPARE(qAlpha(pixel), qAlpha(pixels[i]));
        if (expectedGray[i] >= 0 && qAlpha(pixel) == 255) {
            QCOMPARE(qRed(pixel), expectedGray[i]);
            QCOMPARE(qGreen(pixel), expectedGray[i]);
            QCOMPARE(qBlue(pixel), expectedGray[i]);
        }
    }
    QCOMPARE(button.icon().pixmap(QSize(4, 2), QIcon::Normal, QIcon::On).toImage()
                 .convertToFormat(QImage::Format_ARGB32),
             source);

    button.setIcon(original);
    Basics::applyColoredIcons(&button, Qt::red, QColor());
    const QImage tinted = button.icon().pixmap(QSize(4, 2), QIcon::Normal, QIcon::Off).toImage()
                              .convertToFormat(QImage::Format_ARGB32);
    for (int i = 0; i < 8; ++i) {
        const QRgb pixel = tinted.pixel(i % 4, i / 4);
        QCOMPARE(qAlpha(pixel), qAlpha(pixels[i])); // the alpha shape
        if (qAlpha(pixel) == 255)
            QCOMPARE(pixel, qRgb(255, 0, 0));        // in one flat colour
    }
    QCOMPARE(button.icon().pixmap(QSize(4, 2), QIcon::Normal, QIcon::On).toImage()
                 .convertToFormat(QImage::Format_ARGB32),
             source); // an invalid colour leaves the look as it was

    // Nothing to do, nothing done.
    QToolButton plain;
    Basics::applyColoredIcons(&plain, Qt::red, Qt::blue);
    Basics::applyGrayscaleIcons(&plain);
    QVERIFY(plain.icon().isNull());
    Basics::applyColoredIcons(nullptr, Qt::red, Qt::blue);
    Basics::applyGrayscaleIcons(nullptr);
}

QTEST_MAIN(TestBasicsIcons)
#include "tst_basicsicons.moc"
