// Basics' icon helpers: toolkit-written icon files read back pixel for pixel,
// loadIcon's debug lines, hostile files, upscales and button looks on pixels.

#include <Basics/basics.h>
#include <Output/mywarnings.h>

#include "testsupport/messagecapture.h"

#include <QBuffer>
#include <QDataStream>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

#include <climits>
#include <optional>
#include <tuple>

#include <sys/stat.h>

namespace {

// The values as the toolkit's QDataStream writes them.
template <class... Values>
QByteArray serialised(const Values &...values)
{
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    (stream << ... << values);
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

// A pixmap-engine icon file, one entry per PNG (empty: refers to \a fileName).
QByteArray pixmapEngineFile(const QList<QByteArray> &pngs, const QString &fileName = {},
                            quint32 mode = 0, quint32 state = 1, std::optional<qint32> count = {})
{
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    stream << QStringLiteral("QPixmapIconEngine") << count.value_or(qint32(pngs.size()));
    for (const QByteArray &png : pngs) {
        stream << qint32(!png.isEmpty());
        stream.writeRawData(png.constData(), png.size());
        stream << (png.isEmpty() ? fileName : QString()) << QSize(16, 16) << mode << state;
    }
    return bytes;
}

// Left half red, right half blue; one transparent, one translucent corner.
QImage twoColourImage(int size = 16)
{
    QImage image(size, size, QImage::Format_ARGB32);
    for (int i = 0; i < size * size; ++i)
        image.setPixel(i % size, i / size, i % size < size / 2 ? qRgb(255, 0, 0) : qRgb(0, 0, 255));
    image.setPixel(0, 0, qRgba(0, 0, 0, 0));
    image.setPixel(size - 1, size - 1, qRgba(0, 0, 255, 100));
    return image;
}

QImage imageOf(const QIcon &icon, QSize size, QIcon::Mode mode = QIcon::Normal,
               QIcon::State state = QIcon::Off)
{
    return icon.pixmap(size, mode, state).toImage().convertToFormat(QImage::Format_ARGB32);
}

} // namespace

class TestBasicsIcons : public QObject
{
    Q_OBJECT

private slots:
    void init() { MyWarnings::debugLevel = -100; } // quiet unless a case asks

    void readsWhatTheToolkitWrites()
    {
        // Pixmaps of several sizes, modes and states.
        QIcon icon;
        icon.addPixmap(QPixmap::fromImage(twoColourImage(16)));
        icon.addPixmap(QPixmap::fromImage(twoColourImage(32)));
        icon.addPixmap(QPixmap::fromImage(twoColourImage(24).mirrored(true, false)), QIcon::Normal,
                       QIcon::On);
        icon.addPixmap(QPixmap::fromImage(twoColourImage().rgbSwapped()), QIcon::Disabled);
        const QIcon back = Basics::loadIcon(writeFile("pixmaps.icon", serialised(icon)));
        QCOMPARE(back.availableSizes(), (QList<QSize>{{16, 16}, {32, 32}}));
        QCOMPARE(back.availableSizes(QIcon::Normal, QIcon::On), QList<QSize>{QSize(24, 24)});
        const std::tuple<int, QIcon::Mode, QIcon::State> looks[] = {
            {16, QIcon::Normal, QIcon::Off}, {32, QIcon::Normal, QIcon::Off}, {24, QIcon::Normal, QIcon::On}, {16, QIcon::Disabled, QIcon::Off}};
        for (const auto &[edge, mode, state] : looks)
            QCOMPARE(imageOf(back, {edge, edge}, mode, state), imageOf(icon, {edge, edge}, mode, state));

        // An icon from a theme is stored by name and found again in the theme.
        QVERIFY(QDir(m_dir.path()).mkpath("themes/lenses/16x16/actions"));
        writeFile("themes/lenses/index.theme",
                  "[Icon Theme]\nName=lenses\nDirectories=16x16/actions\n\n[16x16/actions]\nSize=16\n");
        writeFile("themes/lenses/16x16/actions/focus.png", pngBytes(twoColourImage()));
        QIcon::setThemeSearchPaths({m_dir.filePath("themes")});
        QIcon::setThemeName("lenses");
        const QIcon themed = Basics::loadIcon(writeFile("theme.icon", serialised(QIcon::fromTheme("focus"))));
        QCOMPARE(themed.name(), QStringLiteral("focus"));
        QCOMPARE(imageOf(themed, {16, 16}), twoColourImage());

        // An entry that names a regular image file instead of holding one.
        const QString png = writeFile("named.png", pngBytes(twoColourImage()));
        const QIcon named = Basics::loadIcon(writeFile("named.icon", pixmapEngineFile({{}}, png)));
        QCOMPARE(imageOf(named, {16, 16}), twoColourImage());
    }

    // What loadIcon writes and whether the icon is null, for valid, missing,
    // invalid and hostile files.
    void loadIcon_data()
    {
        QTest::addColumn<QByteArray>("content"); // "-": no file
        QTest::addColumn<int>("debugLevel");
        QTest::addColumn<QStringList>("lines");  // after the elapsed reading; %1: the path

        const QString place("static QIcon Basics::loadIcon(const QString&) Basics\\basics.cpp ( %1 )  ");
        const QString entry = place.arg(730) + ' ', invalid = place.arg(738) + "Invalid icon: \"%1\" ";
        QTest::newRow("valid") << serialised(QIcon(QPixmap(8, 8))) << -99 << QStringList{entry};
        QTest::newRow("missing") << QByteArray("-") << -99 << QStringList{entry, place.arg(741) + "Unable to open file: \"%1\" "};
        QTest::newRow("no icon") << QByteArray("no icon") << -99 << QStringList{entry, invalid};
        QTest::newRow("empty, level 0") << QByteArray() << 0 << QStringList{entry, invalid};
        QTest::newRow("level gate closed") << QByteArray("x") << -100 << QStringList();

        const auto hostile = [](const char *tag, const QByteArray &content) {
            QTest::newRow(tag) << content << -100 << QStringList();
        };
        const QByteArray png = pngBytes(twoColourImage());
        QByteArray broken = png;
        broken[40] = char(broken[40] ^ 0x55);
        const QString fifo = m_dir.filePath("fifo");
        QCOMPARE(mkfifo(qPrintable(fifo), 0600), 0);
        hostile("FIFO named", pixmapEngineFile({{}}, fifo));
        hostile("FIFO after a good entry", pixmapEngineFile({png, {}}, fifo));
        hostile("device named", pixmapEngineFile({{}}, "/dev/zero"));
        hostile("folder named", pixmapEngineFile({{}}, m_dir.path()));
        hostile("image too wide", pixmapEngineFile({pngBytes(QImage(8193, 1, QImage::Format_RGB32))}));
        hostile("image does not decode", pixmapEngineFile({broken}));
        hostile("not a PNG", pixmapEngineFile({"GIF89a" + png.mid(6)}));
        hostile("mode 4", pixmapEngineFile({png}, {}, 4));
        hostile("state 2", pixmapEngineFile({png}, {}, 0, 2));
        hostile("count 0", pixmapEngineFile({}, {}, 0, 1, 0));
        hostile("count negative", pixmapEngineFile({png}, {}, 0, 1, INT_MIN));
        hostile("count beyond entries", pixmapEngineFile({png}, {}, 0, 1, 2));
        hostile("count huge", pixmapEngineFile({png}, {}, 0, 1, INT_MAX));
        hostile("foreign engine", serialised(QStringLiteral("svg"), qint32(0)));
        hostile("odd key length", QByteArray("\x00\x00\x00\x03QPi", 7));
        hostile("key beyond file", QByteArray("\x7f\xff\xff\xfe\x00Q", 6));
        hostile("null key", QByteArray("\xff\xff\xff\xff", 4));
    }

    void loadIcon()
    {
        QFETCH(QByteArray, content);
        QFETCH(int, debugLevel);
        QFETCH(QStringList, lines);

        const QString name = QString::fromLatin1(QTest::currentDataTag()) + ".icon";
        const QString path = content == "-" ? m_dir.filePath(name) : writeFile(name, content);
        MyWarnings::debugLevel = debugLevel;
        MessageCapture capture;
        QCOMPARE(Basics::loadIcon(path).isNull(), lines.size() != 1);
        QStringList written;
        for (const QString &text : capture.texts()) {
            QVERIFY2(QRegularExpression("^\"\\d\\d:\\d\\d:\\d\\d:\\d{3}\" ").match(text).hasMatch(), qPrintable(text));
            written << text.mid(15);
        }
        for (QString &line : lines)
            line = line.arg(path);
        QCOMPARE(written, lines);
    }

    void everyTruncationRefused()
    {
        QIcon icon(QPixmap::fromImage(twoColourImage()));
        icon.addPixmap(QPixmap::fromImage(twoColourImage(8)), QIcon::Active, QIcon::On);
        const QByteArray whole = serialised(icon);
        for (int size = 0; size < whole.size(); ++size)
            QVERIFY2(Basics::loadIcon(writeFile("cut", whole.left(size))).isNull(), qPrintable(QString::number(size)));
        QVERIFY(!Basics::loadIcon(writeFile("cut", whole + "trailing bytes are ignored")).isNull());
    }

    void addSizes_data()
    {
        QTest::addColumn<QList<int>>("sizes");
        QTest::addColumn<bool>("added");
        QTest::addColumn<int>("available"); // edges of the sizes the icon then has, summed

        QTest::newRow("16, 32, 48") << QList<int>{16, 32, 48} << true << 16 + 32 + 48;
        QTest::newRow("16 only") << QList<int>{16} << false << 16;
        QTest::newRow("smaller") << QList<int>{8, 0, -4} << false << 16;
        QTest::newRow("beyond 8192") << QList<int>{100000} << false << 16;
        QTest::newRow("no sizes") << QList<int>{} << false << 16;
    }

    void addSizes()
    {
        QFETCH(QList<int>, sizes);
        QFETCH(bool, added);
        QFETCH(int, available);

        QIcon icon(QPixmap::fromImage(twoColourImage()));
        QCOMPARE(Basics::addSizes(icon, sizes), added);
        int edges = 0;
        for (const QSize &size : icon.availableSizes())
            edges += size.width();
        QCOMPARE(edges, available);
        QIcon none;
        QVERIFY(!Basics::addSizes(none, sizes) && none.isNull());
        if (!added)
            return;
        // A smooth upscale blends across the red/blue border (columns 15 and 16
        // of 32); a pixel copy would not.
        const QRgb border = imageOf(icon, {32, 32}).pixel(15, 8);
        QVERIFY2(qRed(border) > 0 && qRed(border) < 255 && qBlue(border) > 0 && qBlue(border) < 255,
                 qPrintable(QString::number(border, 16)));
    }

    void buttonLooks()
    {
        // Primaries, white, dark colours; one transparent, one translucent pixel.
        const QRgb pixels[] = {qRgb(255, 0, 0), qRgb(0, 255, 0),    qRgb(0, 0, 255),
                               qRgb(255, 255, 255), qRgba(0, 0, 0, 0), qRgba(255, 0, 0, 100),
                               qRgb(10, 20, 30), qRgb(0, 0, 0)};
        const int grays[] = {87, 127, 39, 255, 0, 0, 18, 0};
        QImage source(4, 2, QImage::Format_ARGB32);
        for (int i = 0; i < 8; ++i)
            source.setPixel(i % 4, i / 4, pixels[i]);

        QToolButton button;
        button.setIconSize(QSize(4, 2));
        for (bool gray : {true, false}) {
            button.setIcon(QPixmap::fromImage(source));
            if (gray)
                Basics::applyGrayscaleIcons(&button);
            else
                Basics::applyColoredIcons(&button, Qt::red, QColor()); // invalid: look unchanged
            const QImage off = imageOf(button.icon(), {4, 2});
            for (int i = 0; i < 8; ++i) {
                const QRgb pixel = off.pixel(i % 4, i / 4);
                QCOMPARE(qAlpha(pixel), qAlpha(pixels[i])); // the alpha shape is kept
                if (qAlpha(pixel) == 255)
                    QCOMPARE(pixel, gray ? qRgb(grays[i], grays[i], grays[i]) : qRgb(255, 0, 0));
            }
            QCOMPARE(imageOf(button.icon(), {4, 2}, QIcon::Normal, QIcon::On), source);
        }

        QToolButton plain; // nothing to do, nothing done
        Basics::applyColoredIcons(&plain, Qt::red, Qt::blue);
        Basics::applyGrayscaleIcons(&plain);
        QVERIFY(plain.icon().isNull());
        Basics::applyColoredIcons(nullptr, Qt::red, Qt::blue);
        Basics::applyGrayscaleIcons(nullptr);
    }

private:
    QString writeFile(const QString &name, const QByteArray &bytes)
    {
        QFile file(m_dir.filePath(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(file.fileName()));
        return file.fileName();
    }
    QTemporaryDir m_dir;
};

QTEST_MAIN(TestBasicsIcons)
#include "tst_basicsicons.moc"
