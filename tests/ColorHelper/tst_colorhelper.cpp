// ColorHelper: component setters, wavelength colours at the ramp's points,
// and colour tables from short palettes.

#include <ColorHelper/colorhelper.h>

#include <QtTest>

#include <climits>
#include <cmath>
#include <functional>

using Operation = std::function<QColor(const QColor &)>;
Q_DECLARE_METATYPE(Operation)

class TestColorHelper : public QObject
{
    Q_OBJECT

private slots:
    void componentSetters_data()
    {
        QTest::addColumn<Operation>("operation");
        QTest::addColumn<QColor>("input");
        QTest::addColumn<QColor>("expected");

#define OP(call) Operation([](const QColor &c) { return ColorHelper::call; })
        const QColor red(Qt::red), halfRed(255, 0, 0, 100), gray(128, 128, 128), none;
        QTest::newRow("hue -30") << OP(incrementHue(c, -30)) << red << QColor::fromHsv(330, 255, 255);
        QTest::newRow("hue +390") << OP(incrementHue(c, 390)) << halfRed << QColor::fromHsv(30, 255, 255, 100);
        QTest::newRow("hue INT_MIN") << OP(incrementHue(c, INT_MIN)) << red << QColor::fromHsv(232, 255, 255);
        QTest::newRow("hue of gray") << OP(incrementHue(c, 40)) << gray << gray;
        QTest::newRow("hue 0 of invalid") << OP(incrementHue(c, 0)) << none << none;
        QTest::newRow("hue 10 of invalid") << OP(incrementHue(c, 10)) << none << none;
        QTest::newRow("setHue 120") << OP(setHue(c, 120)) << halfRed << QColor(0, 255, 0, 100);
        QTest::newRow("setHue 400") << OP(setHue(c, 400)) << red << none;
        QTest::newRow("setHueF 0.5") << OP(setHueF(c, 0.5)) << red << QColor(0, 255, 255);
        QTest::newRow("setHueF NaN") << OP(setHueF(c, std::nan(""))) << red << none;
        QTest::newRow("setSaturation 0") << OP(setSaturation(c, 0)) << red << QColor(255, 255, 255);
        QTest::newRow("setSaturation of invalid") << OP(setSaturation(c, 10)) << none << none;
        QTest::newRow("setSaturationF") << OP(setSaturationF(c, 0.5)) << red << QColor::fromHsvF(0, 0.5, 1);
        QTest::newRow("setValue 128") << OP(setValue(c, 128)) << halfRed << QColor(128, 0, 0, 100);
        QTest::newRow("setValue -1") << OP(setValue(c, -1)) << red << none;
        QTest::newRow("setValueF NaN") << OP(setValueF(c, std::nan(""))) << red << none;
        QTest::newRow("lightness 300") << OP(setLightness(c, 300)) << red << QColor(255, 255, 255);
        QTest::newRow("lightness -1000") << OP(incrementLightness(c, -1000)) << red << QColor(0, 0, 0);
        QTest::newRow("lightness +INT_MAX") << OP(incrementLightness(c, INT_MAX)) << halfRed
                                            << QColor(255, 255, 255, 100);
        QTest::newRow("alpha 300 clamps") << OP(setAlpha(c, 300)) << halfRed << red;
        QTest::newRow("alphaF 0.5") << OP(setAlphaF(c, 0.5)) << red << QColor(255, 0, 0, 128);
        QTest::newRow("alphaF NaN") << OP(setAlphaF(c, std::nan(""))) << halfRed << halfRed;
#undef OP
    }

    void componentSetters()
    {
        QFETCH(Operation, operation);
        QFETCH(QColor, input);
        QFETCH(QColor, expected);
        const QColor result = operation(input);
        QCOMPARE(result.isValid(), expected.isValid());
        if (expected.isValid())
            QCOMPARE(result.rgba(), expected.rgba());
    }

    void inPlace()
    {
        QColor color(Qt::red);
        QCOMPARE(ColorHelper::replaceAlphaF(ColorHelper::replaceAlpha(color, 10), 0.5).alpha(), 128);
        QCOMPARE(color.alpha(), 128);
        ColorHelper helper(QColor(255, 0, 0, 100));
        helper.setSaturation(0); // the member: changes the helper itself
        QCOMPARE(helper.rgba(), QColor(255, 255, 255, 100).rgba());
    }

    // Display colours at the points the ramp is defined by (hue and value from
    // the ramp's table, worked out by hand), and black outside it.
    void wavelength_data()
    {
        QTest::addColumn<double>("nanometres");
        QTest::addColumn<QString>("color");
        const QList<QPair<double, QString>> rows = {
            {550, "#92ff00"}, {400, "#6f00a6"}, {380, "#4c004c"}, {470, "#0099ff"}, {500, "#00ff80"}, {600, "#ffb100"},
            {700, "#ff0000"}, {780, "#4d0000"}, {900, "#000000"}, {300, "#000000"}, {std::nan(""), "#000000"}};
        for (const auto &[nanometres, color] : rows)
            QTest::newRow(qPrintable(QString::number(nanometres))) << nanometres << color;
    }

    void wavelength()
    {
        QFETCH(double, nanometres);
        QFETCH(QString, color);
        const QColor result = ColorHelper::colorFromWavelength(nanometres * 1e-6);
        QVERIFY(result.isValid());
        QCOMPARE(result.name(QColor::HexArgb), "#ff" + color.mid(1));
    }

    // Tables from short palettes: hue the shorter way round, achromatic ends,
    // counts out of range.
    void colorTable_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<QVector<QColor>>("palette");
        QTest::addColumn<QString>("expected");

        const QVector<QColor> blueRed{Qt::blue, Qt::red};
        QTest::newRow("blue to red through magenta") << 3 << blueRed << "#0000ff #ff00ff #ff0000";
        QTest::newRow("red to blue through magenta") << 3 << QVector<QColor>{Qt::red, Qt::blue} << "#ff0000 #ff00ff #0000ff";
        QTest::newRow("white takes red's hue") << 3 << QVector<QColor>{Qt::white, Qt::red} << "#ffffff #ff8080 #ff0000";
        QTest::newRow("black to white") << 5 << QVector<QColor>{Qt::black, Qt::white}
                                        << "#000000 #404040 #808080 #bfbfbf #ffffff";
        QTest::newRow("three colours") << 5 << QVector<QColor>{Qt::red, Qt::green, Qt::blue}
                                       << "#ff0000 #ffff00 #00ff00 #00ffff #0000ff";
        QTest::newRow("alpha ignored") << 2 << QVector<QColor>{QColor(0, 0, 255, 10), QColor(255, 0, 0, 0)} << "#0000ff #ff0000";
        QTest::newRow("count 1") << 1 << blueRed << "#0000ff";
        QTest::newRow("count 0") << 0 << blueRed << "";
        QTest::newRow("count negative") << -5 << blueRed << "";
        QTest::newRow("count beyond 2^24") << (1 << 24) + 1 << blueRed << "";
        QTest::newRow("count INT_MAX") << INT_MAX << blueRed << "";
        QTest::newRow("one colour") << 3 << QVector<QColor>{QColor(10, 20, 30, 40)} << "#0a141e #0a141e #0a141e";
        QTest::newRow("no colour") << 3 << QVector<QColor>() << "";
        QTest::newRow("invalid counts as black") << 3 << QVector<QColor>{QColor(), Qt::white} << "#000000 #808080 #ffffff";
    }

    void colorTable()
    {
        QFETCH(int, count);
        QFETCH(QVector<QColor>, palette);
        QFETCH(QString, expected);
        QStringList table;
        for (const QRgb entry : ColorHelper::createColorTable(count, palette))
            table << (qAlpha(entry) == 255 ? QColor(entry).name() : "not opaque");
        QCOMPARE(table.join(' '), expected);
    }
};

QTEST_APPLESS_MAIN(TestColorHelper)
#include "tst_colorhelper.moc"
