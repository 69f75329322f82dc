// Colour helper: the visible spectrum from colorFromWavelength, colour
// tables from createColorTable, and hue and lightness steps of one colour.

#include "gallerypage.h"
#include "pages.h"

#include <ColorHelper/colorhelper.h>

#include <QFormLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace {

// A strip of colours, one per column, stretched over the widget's width.
class ColorStrip : public QWidget
{
public:
    explicit ColorStrip(QVector<QRgb> colors, QWidget *parent = nullptr)
        : QWidget(parent), m_colors(std::move(colors))
    {
        setMinimumHeight(28);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        const int n = m_colors.size();
        for (int i = 0; i < n; ++i) {
            const int left = i * width() / n;
            const int right = (i + 1) * width() / n;
            painter.fillRect(left, 0, right - left, height(), QColor(m_colors[i]));
        }
    }

private:
    QVector<QRgb> m_colors;
};

QVector<QRgb> spectrum()
{
    QVector<QRgb> colors;
    for (int nanometres = 360; nanometres <= 830; ++nanometres)
        colors << ColorHelper::colorFromWavelength(nanometres * 1e-6).rgb();
    return colors;
}

QVector<QRgb> hueSteps(const QColor &base)
{
    QVector<QRgb> colors;
    for (int degrees = 0; degrees < 360; degrees += 30)
        colors << ColorHelper::incrementHue(base, degrees).rgb();
    return colors;
}

QVector<QRgb> lightnessSteps(const QColor &base)
{
    QVector<QRgb> colors;
    for (int delta = -120; delta <= 120; delta += 20)
        colors << ColorHelper::incrementLightness(base, delta).rgb();
    return colors;
}

class ColorPage : public GalleryPage
{
public:
    ColorPage() : GalleryPage(QStringLiteral("Colour helper"), QStringLiteral("colour-helper"))
    {
        auto *layout = new QVBoxLayout(this);
        layout->addWidget(descriptionLabel(
            tr("ColorHelper: the colour of a wavelength, colour tables interpolated in HSL "
               "(the shorter way round the hue circle), hue and lightness steps."), this));
        auto *form = new QFormLayout;
        form->addRow(tr("360 to 830 nm:"), new ColorStrip(spectrum(), this));
        const QVector<QColor> blueRed{Qt::blue, Qt::red};
        form->addRow(tr("Table blue, red:"), new ColorStrip(ColorHelper::createColorTable(64, blueRed), this));
        const QVector<QColor> whiteRed{Qt::white, Qt::red};
        form->addRow(tr("Table white, red:"), new ColorStrip(ColorHelper::createColorTable(64, whiteRed), this));
        const QVector<QColor> thermal{Qt::black, QColor(0, 0, 160), Qt::magenta, QColor(255, 160, 0),
                                      Qt::yellow, Qt::white};
        form->addRow(tr("Table of six:"), new ColorStrip(ColorHelper::createColorTable(128, thermal), this));
        const QColor base(0, 159, 227);
        form->addRow(tr("Hue + 30\u00b0 steps:"), new ColorStrip(hueSteps(base), this));
        form->addRow(tr("Lightness steps:"), new ColorStrip(lightnessSteps(base), this));
        layout->addLayout(form);
        layout->addStretch();
    }
};

} // namespace

GalleryPage *createColorPage()
{
    return new ColorPage;
}
