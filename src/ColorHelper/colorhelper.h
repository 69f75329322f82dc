#pragma once

// ColorHelper: colour arithmetic for plots and widgets.
//
//     QColor pale = ColorHelper::setSaturation(Qt::blue, 64);       // a copy
//     QColor next = ColorHelper::incrementHue(curveColor, 30);      // 30 degrees on
//     QColor green = ColorHelper::colorFromWavelength(0.00055);     // 550 nm
//     QVector<QRgb> table = ColorHelper::createColorTable(
//         256, {Qt::black, Qt::blue, Qt::red, Qt::white});          // false colours
//     image.setColorTable(table);
//
//     ColorHelper color(Qt::red);
//     color.setSaturation(128);      // changes this colour itself
//
// All functions but the member setSaturation(int) are static and return a
// changed copy (or, for replaceAlpha/replaceAlphaF, change the colour
// passed). A ColorHelper is a QColor and adds no data of its own.
//
// Out-of-range integer components give what QColor gives for them (an
// invalid colour, from fromHsv/fromHsl); lightness is clamped instead. An
// invalid colour passed in comes back invalid (only the alpha setters keep
// the QColor behaviour of leaving it as it is), and a NaN component gives an
// invalid colour (alpha: the colour unchanged).

#include <basicsdll_export.h>

#include <QColor>
#include <QVector>

/// Colour arithmetic on QColor: changed copies, the colour of a wavelength
/// and interpolated colour tables (see the top of this header).
class BASICSDLL_EXPORT ColorHelper : public QColor
{
public:
    /// An invalid colour, as QColor().
    ColorHelper() = default;
    /// The colour \a color.
    ColorHelper(const QColor &color) : QColor(color) {}
    /// The colour QColor(\a color) names.
    ColorHelper(Qt::GlobalColor color) : QColor(color) {}

    /// QColor's own member, which the static setAlpha() below would hide.
    using QColor::setAlpha;
    /// QColor's own member, which the static setAlphaF() below would hide.
    using QColor::setAlphaF;

    /// Copy of \a color with alpha set by QColor::setAlphaF (out-of-range
    /// values are clamped by QColor, NaN leaves the alpha unchanged).
    static QColor setAlphaF(const QColor &color, double alpha);
    /// Copy of \a color with alpha set by QColor::setAlpha (QColor clamps
    /// values to 0..255).
    static QColor setAlpha(const QColor &color, int alpha);
    /// Sets the alpha of \a color itself, as setAlphaF(); returns \a color.
    static QColor &replaceAlphaF(QColor &color, double alpha);
    /// Sets the alpha of \a color itself, as setAlpha(); returns \a color.
    static QColor &replaceAlpha(QColor &color, int alpha);

    /// Copy of \a color with its HSV hue turned by \a degrees (either
    /// direction, any amount; the hue stays in 0..359). Saturation, value and
    /// alpha are kept; an achromatic colour (hue -1) keeps hue -1. A delta of
    /// 0 returns \a color untouched, even an invalid one.
    static QColor incrementHue(const QColor &color, int degrees);
    /// QColor::fromHsv with hue \a hue (-1 or 0..359) and the HSV saturation,
    /// value and alpha of \a color.
    static QColor setHue(const QColor &color, int hue);
    /// QColor::fromHsvF with hue \a hue (-1 or 0..1) and the floating-point
    /// HSV saturation, value and alpha of \a color.
    static QColor setHueF(const QColor &color, double hue);
    /// Copy of \a color with the HSV saturation (0..255) replaced.
    static QColor setSaturation(const QColor &color, int saturation);
    /// Copy of \a color with the HSV saturation (0..1) replaced.
    static QColor setSaturationF(const QColor &color, double saturation);
    /// Copy of \a color with the HSV value (0..255) replaced.
    static QColor setValue(const QColor &color, int value);
    /// Copy of \a color with the HSV value (0..1) replaced.
    static QColor setValueF(const QColor &color, double value);
    /// Copy of \a color with the HSL lightness replaced by \a lightness
    /// clamped to 0..255; hue, saturation and alpha kept.
    static QColor setLightness(const QColor &color, int lightness);
    /// Copy of \a color with \a delta added to its HSL lightness, clamped to
    /// 0..255.
    static QColor incrementLightness(const QColor &color, int delta);

    /// The display colour of light of \a wavelength millimetres (0.00055 is
    /// 550 nm, green): fully saturated and opaque, darkening towards both
    /// ends of the visible range and black below about 363 nm and above
    /// about 814 nm. NaN gives black.
    static QColor colorFromWavelength(double wavelength);

    /// \a count opaque colours running evenly from the first to the last
    /// colour of \a palette, interpolated in HSL the shorter way around the
    /// hue circle. Empty for \a count < 1 and for counts above 16777216 (one
    /// entry per 24-bit colour). A palette of one colour gives \a count
    /// copies of it (made opaque); an empty palette gives an empty table. An
    /// invalid palette colour counts as black.
    static QVector<QRgb> createColorTable(int count, const QVector<QColor> &palette);

    /// Replaces this colour by setSaturation(*this, \a saturation).
    void setSaturation(int saturation);
};
