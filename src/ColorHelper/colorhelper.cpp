// ColorHelper: component setters, wavelength colours and colour tables.

#include "ColorHelper/colorhelper.h"

#include <algorithm>
#include <cmath>

namespace {

// QColor's floating-point range checks let NaN through to a rounding that
// has no defined result; such a component is refused here instead.
bool isNumber(double value)
{
    return !std::isnan(value);
}

struct HsvParts
{
    int h = 0, s = 0, v = 0, a = 0;
    explicit HsvParts(const QColor &color) { color.getHsv(&h, &s, &v, &a); }
};

struct HsvFParts
{
    qreal h = 0, s = 0, v = 0, a = 0;
    explicit HsvFParts(const QColor &color) { color.getHsvF(&h, &s, &v, &a); }
};

struct HslParts
{
    int h = 0, s = 0, l = 0, a = 0;
    explicit HslParts(const QColor &color) { color.getHsl(&h, &s, &l, &a); }
};

// One palette colour in HSL, read once per table.
struct HslFParts
{
    qreal h = -1, s = 0, l = 0;
    explicit HslFParts(const QColor &color)
    {
        if (color.isValid())
            color.getHslF(&h, &s, &l);
    }
};

QRgb interpolate(HslFParts a, HslFParts b, double weightA, double weightB)
{
    // A colour without hue takes its neighbour's hue and saturation, so
    // that running to or from grey does not pass through red.
    if (a.h < 0 && b.h >= 0) {
        a.h = b.h;
        a.s = b.s;
    } else if (b.h < 0 && a.h >= 0) {
        b.h = a.h;
        b.s = a.s;
    }
    // The shorter way around the hue circle.
    if (std::abs(a.h - b.h) > 0.5)
        b.h += b.h < a.h ? 1.0 : -1.0;

    double hue = weightA * a.h + weightB * b.h;
    while (hue > 1.0)
        hue -= 1.0;
    while (hue < 0.0)
        hue += 1.0;
    const auto unit = [](double value) { return value > 0.0 ? std::min(value, 1.0) : 0.0; };
    QColor color;
    color.setHslF(hue, unit(weightA * a.s + weightB * b.s), unit(weightA * a.l + weightB * b.l),
                  1.0);
    return color.rgb();
}

} // namespace

QColor ColorHelper::setAlphaF(const QColor &color, double alpha)
{
    QColor copy(color);
    return replaceAlphaF(copy, alpha);
}

QColor ColorHelper::setAlpha(const QColor &color, int alpha)
{
    QColor copy(color);
    return replaceAlpha(copy, alpha);
}

QColor &ColorHelper::replaceAlphaF(QColor &color, double alpha)
{
    if (isNumber(alpha))
        color.setAlphaF(alpha);
    return color;
}

QColor &ColorHelper::replaceAlpha(QColor &color, int alpha)
{
    color.setAlpha(alpha);
    return color;
}

QColor ColorHelper::incrementHue(const QColor &color, int degrees)
{
    if (degrees == 0 || !color.isValid())
        return color;
    const HsvParts hsv(color);
    if (hsv.h < 0)
        return QColor::fromHsv(-1, hsv.s, hsv.v, hsv.a);
    // In 64 bits, so that no delta overflows; the remainder is made
    // non-negative.
    const int hue = int(((qint64(hsv.h) + degrees) % 360 + 360) % 360);
    return QColor::fromHsv(hue, hsv.s, hsv.v, hsv.a);
}

QColor ColorHelper::setHue(const QColor &color, int hue)
{
    if (!color.isValid())
        return QColor();
    const HsvParts hsv(color);
    return QColor::fromHsv(hue, hsv.s, hsv.v, hsv.a);
}

QColor ColorHelper::setHueF(const QColor &color, double hue)
{
    if (!color.isValid() || !isNumber(hue))
        return QColor();
    const HsvFParts hsv(color);
    return QColor::fromHsvF(hue, hsv.s, hsv.v, hsv.a);
}

QColor ColorHelper::setSaturation(const QColor &color, int saturation)
{
    if (!color.isValid())
        return QColor();
    const HsvParts hsv(color);
    return QColor::fromHsv(hsv.h, saturation, hsv.v, hsv.a);
}

QColor ColorHelper::setSaturationF(const QColor &color, double saturation)
{
    if (!color.isValid() || !isNumber(saturation))
        return QColor();
    const HsvFParts hsv(color);
    return QColor::fromHsvF(hsv.h, saturation, hsv.v, hsv.a);
}

QColor ColorHelper::setValue(const QColor &color, int value)
{
    if (!color.isValid())
        return QColor();
    const HsvParts hsv(color);
    return QColor::fromHsv(hsv.h, hsv.s, value, hsv.a);
}

QColor ColorHelper::setValueF(const QColor &color, double value)
{
    if (!color.isValid() || !isNumber(value))
        return QColor();
    const HsvFParts hsv(color);
    return QColor::fromHsvF(hsv.h, hsv.s, value, hsv.a);
}

QColor ColorHelper::setLightness(const QColor &color, int lightness)
{
    if (!color.isValid())
        return QColor();
    const HslParts hsl(color);
    return QColor::fromHsl(hsl.h, hsl.s, std::clamp(lightness, 0, 255), hsl.a);
}

QColor ColorHelper::incrementLightness(const QColor &color, int delta)
{
    if (!color.isValid())
        return QColor();
    const HslParts hsl(color);
    const qint64 lightness = qint64(hsl.l) + delta;
    return QColor::fromHsl(hsl.h, hsl.s, int(std::clamp<qint64>(lightness, 0, 255)), hsl.a);
}

QColor ColorHelper::colorFromWavelength(double wavelength)
{
    const double nm = wavelength * 1e6;
    if (std::isnan(nm))
        return QColor::fromHsvF(0.0, 1.0, 0.0, 1.0);

    // Hue as a fraction of the circle, piecewise linear from violet (5/6)
    // through blue, cyan, green and yellow to red (0).
    double hue = 0.0;
    if (nm < 380)
        hue = 5.0 / 6;
    else if (nm < 440)
        hue = (4 + (440 - nm) / 60) / 6;
    else if (nm < 490)
        hue = (4 - (nm - 440) / 50) / 6;
    else if (nm < 510)
        hue = (2 + (510 - nm) / 20) / 6;
    else if (nm < 580)
        hue = (2 - (nm - 510) / 70) / 6;
    else if (nm < 645)
        hue = ((645 - nm) / 65) / 6;

    // Brightness fades at both ends of the visible range.
    double value = 1.0;
    if (nm < 420)
        value = 0.3 + 0.7 * (nm - 380) / 40;
    else if (nm > 700)
        value = 0.3 + 0.7 * (780 - nm) / 80;
    if (value > 1.0)
        value = 1.0;
    if (!(value > 0.0))
        value = 0.0;

    return QColor::fromHsvF(hue, 1.0, value, 1.0);
}

QVector<QRgb> ColorHelper::createColorTable(int count, const QVector<QColor> &palette)
{
    constexpr int largestTable = 1 << 24;
    QVector<QRgb> table;
    if (count < 1 || count > largestTable || palette.isEmpty())
        return table;

    QVector<HslFParts> colors;
    colors.reserve(palette.size());
    for (const QColor &color : palette)
        colors.append(HslFParts(color.isValid() ? color : QColor(Qt::black)));
    if (colors.size() == 1)
        colors.append(colors.first());

    const int n = colors.size();
    table.reserve(count);
    for (int i = 0; i < count; ++i) {
        double t = count > 1 ? double(i) / (count - 1) * (n - 1) : 0.0;
        t = std::min(t, double(n - 1));
        if (!(t > 0.0))
            t = 0.0;
        const int k = std::max(0, std::min(int(std::floor(t)), n - 2));
        table.append(interpolate(colors.at(k), colors.at(k + 1), k + 1 - t, t - k));
    }
    return table;
}

void ColorHelper::setSaturation(int saturation)
{
    QColor::operator=(setSaturation(*this, saturation));
}
