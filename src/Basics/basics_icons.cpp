// Icon helpers of Basics: loading, extra sizes, tinted and grey looks.

#include "Basics/basics.h"
#include "Basics/iconfile_p.h"

#include "Output/output.h"

#include <QAbstractButton>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPixmap>

namespace {

// The lines of loadIcon name the function and place as the tools have always
// shown them, wherever the code lives now.
constexpr const char *loadIconSignature = "static QIcon Basics::loadIcon(const QString&)";
constexpr const char *basicsSource = "Basics\\basics.cpp";

// Larger files cannot hold an icon the reader accepts: its images are
// limited to 64 Mi pixels, at most 4 bytes each before compression, and PNG
// adds little to that even uncompressed.
constexpr qint64 largestIconFile = qint64(512) << 20;

QPixmap makeColoredPixmap(const QPixmap &source, const QColor &color)
{
    QPixmap result(source.size());
    result.fill(Qt::transparent);
    QPainter painter(&result);
    painter.drawPixmap(0, 0, source);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(result.rect(), color);
    painter.end();
    return result;
}

QPixmap makeGrayscalePixmap(const QPixmap &source)
{
    QImage image = source.toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = line[x];
            const int gray = (11 * qRed(pixel) + 16 * qGreen(pixel) + 5 * qBlue(pixel)) / 32;
            line[x] = qRgba(gray, gray, gray, qAlpha(pixel));
        }
    }
    return QPixmap::fromImage(image);
}

// The button's pixmap at its icon size, or a null pixmap when there is
// nothing to change.
QPixmap buttonPixmap(const QAbstractButton *button)
{
    if (!button || button->icon().isNull())
        return QPixmap();
    return button->icon().pixmap(button->iconSize(), QIcon::Normal, QIcon::Off);
}

} // namespace

QIcon BasicsIcons::loadIcon(const QString &fileName)
{
    const bool lines = MyWarnings::isLevelEnabled(-99);
    if (lines)
        Output::DebugLine(loadIconSignature, basicsSource, 730) << "";

    // Only regular files and resources are opened: opening a FIFO or a
    // device would block or never end.
    const QFileInfo info(fileName);
    QFile file(fileName);
    if (fileName.isEmpty() || !info.isFile() || !file.open(QIODevice::ReadOnly)) {
        if (lines)
            Output::DebugLine(loadIconSignature, basicsSource, 741)
                << "Unable to open file:" << fileName;
        return QIcon();
    }

    QIcon icon;
    if (file.size() <= largestIconFile)
        icon = BasicsIconFile::read(file.readAll());
    if (icon.isNull() && lines)
        Output::DebugLine(loadIconSignature, basicsSource, 738) << "Invalid icon:" << fileName;
    return icon;
}

bool BasicsIcons::addSizes(QIcon &icon, const QList<int> &sizes)
{
    if (sizes.isEmpty() || icon.isNull())
        return false;
    bool added = false;
    for (int size : sizes) {
        if (size > BasicsIconFile::largestEdge)
            continue;
        const QPixmap pixmap = icon.pixmap(QSize(size, size), QIcon::Normal, QIcon::Off);
        if (pixmap.isNull() || pixmap.width() >= size)
            continue;
        const QPixmap scaled = pixmap.scaledToWidth(size, Qt::SmoothTransformation);
        if (scaled.isNull())
            continue;
        icon.addPixmap(scaled, QIcon::Normal, QIcon::Off);
        added = true;
    }
    return added;
}

void BasicsIcons::applyColoredIcons(QAbstractButton *button, const QColor &offColor,
                                    const QColor &onColor)
{
    const QPixmap pixmap = buttonPixmap(button);
    if (pixmap.isNull())
        return;
    QIcon icon;
    icon.addPixmap(offColor.isValid() ? makeColoredPixmap(pixmap, offColor) : pixmap,
                   QIcon::Normal, QIcon::Off);
    icon.addPixmap(onColor.isValid() ? makeColoredPixmap(pixmap, onColor) : pixmap,
                   QIcon::Normal, QIcon::On);
    button->setIcon(icon);
}

void BasicsIcons::applyGrayscaleIcons(QAbstractButton *button)
{
    const QPixmap pixmap = buttonPixmap(button);
    if (pixmap.isNull())
        return;
    QIcon icon;
    icon.addPixmap(makeGrayscalePixmap(pixmap), QIcon::Normal, QIcon::Off);
    icon.addPixmap(pixmap, QIcon::Normal, QIcon::On);
    button->setIcon(icon);
}
