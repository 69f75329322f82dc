// ColorHelper: the component setters on worked colours and bad input, the
// wavelength colours at the points the ramp is defined by, and colour tables
// from short palettes (hue the shorter way round, achromatic ends, counts
// out of range).

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
    void componentSetters_data();
    void componentSetters();
    void inPlace();
    void wavelength_data();
    void wavelength();
    void colorTable_data();
    void colorTable();
};

void TestColorHelper::componentSetters_data()
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

void TestColorHelper::componentSetters()
{
    QFETCH(Operation, operation);
    QFETCH(QColor, input);
    QFETCH(QColor, expected);
    const QColor result = operation(input);
    QCOMPARE(result.isValid(), expected.isValid());
    if (expected.isValid())
        QCOMPARE(result.rgba(), expected.rgba());
}

void TestColorHelper::inPlace()
{
    QColor color(Qt::red);
    QCOMPARE(&ColorHelper::replaceAlpha(color, 10), &color);
    QCOMPARE(color.alpha(), 10);
    ColorHelper::replaceAlphaF(color, 1.0);
    QCOMPARE(color.alpha(), 255);

    ColorHelper helper(QColor(255, 0, 0, 100));
    helper.setSaturation(0); // the member: changes the helper itself
    QCOMPARE(helper.rgba(), QColor(255, 255, 255, 100).rgba());
    helper.setAlpha(7); // QColor's own member stays reachable
    QCOMPARE(helper.alpha(), 7);
}

void TestColorHelper::wavelength_data()
{
    QTest::addColumn<double>("millimetres");
    QTest::addColumn<double>("hue"); // fraction of the circle
    QTest::addColumn<double>("value");

    QTest::newRow("550 nm") << 0.00055 << (2 - 40.0 / 70) / 6 << 1.0;
    QTest::newRow("400 nm") << 0.0004 << (4 + 40.0 / 60) / 6 << 0.65;
    QTest::newRow("380 nm") << 0.00038 << 5.0 / 6 << 0.3;
    QTest::newRow("470 nm") << 0.00047 << (4 - 30.0 / 50) / 6 << 1.0;
    QTest::newRow("500 nm") << 0.0005 << (2 + 10.0 / 20) / 6 << 1.0;
    QTest::newRow("600 nm") << 0.0006 << (45.0 / 65) / 6 << 1.0;
    QTest::newRow("700 nm") << 0.0007 << 0.0 << 1.0;
    QTest::newRow("780 nm") << 0.00078 << 0.0 << 0.3;
    QTest::newRow("900 nm black") << 0.0009 << 0.0 << 0.0;
    QTest::newRow("300 nm black") << 0.0003 << 5.0 / 6 << 0.0;
    QTest::newRow("NaN black") << std::nan("") << 0.0 << 0.0;
}

void TestColorHelper::wavelength()
{
    QFETCH(double, millimetres);
    QFETCH(double, hue);
    QFETCH(double, value);
    const QColor color = ColorHelper::colorFromWavelength(millimetres);
    QVERIFY(color.isValid());
    QCOMPARE(color.alpha(), 255);
    QVERIFY2(std::abs(color.valueF() - value) < 1e-3, qPrintable(QString::number(color.valueF())));
    if (value > 0) {
        QCOMPARE(color.hsvSaturation(), 255);
        QVERIFY2(std::abs(color.hsvHueF() - hue) < 1e-3, qPrintable(QString::number(color.hsvHueF())));
    }
}

void TestColorHelper::colorTable_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<QVector<QColor>>("palette");
    QTest::addColumn<QVector<QRgb>>("expected");

    const QVector<QColor> blueRed{Qt::blue, Qt::red};
    QTest::newRow("blue to red through magenta")
        << 3 << blueRed << QVector<QRgb>{0xff0000ff, 0xffff00ff, 0xffff0000};
    QTest::newRow("red to blue through magenta")
        << 3 << QVector<QColor>{Qt::red, Qt::blue} << QVector<QRgb>{0xffff0000, 0xffff00ff, 0xff0000ff};
    QTest::newRow("white takes red's hue")
        << 3 << QVector<QColor>{Qt::white, Qt::red}
        << QVector<QRgb>{0xffffffff, QColor::fromHslF(0, 1, 0.75).rgb(), 0xffff0000};
    QTest::newRow("black to white") << 5 << QVector<QColor>{Qt::black, Qt::white}
                                    << QVector<QRgb>{0xff000000, QColor::fromHslF(0, 0, 0.25).rgb(),
                                                     QColor::fromHslF(0, 0, 0.5).rgb(),
                                                     QColor::fromHslF(0, 0, 0.75).rgb(), 0xffffffff};
    QTest::newRow("three colours") << 5 << QVector<QColor>{Qt::red, Qt::green, Qt::blue}
                                   << QVector<QRgb>{0xffff0000, 0xffffff00, 0xff00ff00,
                                                    0xff00ffff, 0xff0000ff};
    QTest::newRow("alpha ignored") << 2 << QVector<QColor>{QColor(0, 0, 255, 10), QColor(255, 0, 0, 0)}
                                   << QVector<QRgb>{0xff0000ff, 0xffff0000};
    QTest::newRow("count 1") << 1 << blueRed << QVector<QRgb>{0xff0000ff};
    QTest::newRow("count 0") << 0 << blueRed << QVector<QRgb>();
    QTest::newRow("count negative") << -5 << blueRed << QVector<QRgb>();
    QTest::newRow("count beyond 2^24") << (1 << 24) + 1 << blueRed << QVector<QRgb>();
    QTest::newRow("count INT_MAX") << INT_MAX << blueRed << QVector<QRgb>();
    QTest::newRow("one colour") << 3 << QVector<QColor>{QColor(10, 20, 30, 40)}
                                << QVector<QRgb>(3, 0xff0a141e);
    QTest::newRow("no colour") << 3 << QVector<QColor>() << QVector<QRgb>();
    QTest::newRow("invalid counts as black") << 3 << QVector<QColor>{QColor(), Qt::white}
                                             << QVector<QRgb>{0xff000000, QColor::fromHslF(0, 0, 0.5).rgb(),
                                                              0xffffffff};
}

void TestColorHelper::colorTable()
{
    QFETCH(int, count);
    QFETCH(QVector<QColor>, palette);
    QFETCH(QVector<QRgb>, expected);
    // Components pass through 16-bit HSL on the way: one step of rounding
    // per channel is allowed.
    const QVector<QRgb> table = ColorHelper::createColorTable(count, palette);
    QCOMPARE(table.size(), expected.size());
    for (int i = 0; i < table.size(); ++i) {
        const QRgb a = table.at(i), b = expected.at(i);
        QVERIFY2(qAlpha(a) == 255 && std::abs(qRed(a) - qRed(b)) <= 1
                     && std::abs(qGreen(a) - qGreen(b)) <= 1 && std::abs(qBlue(a) - qBlue(b)) <= 1,
                 qPrintable(QStringLiteral("entry %1: %2, expected %3")
                                .arg(i)
                                .arg(a, 8, 16)
                                .arg(b, 8, 16)));
    }
}

QTEST_APPLESS_MAIN(TestColorHelper)
#include "tst_colorhelper.moc"
