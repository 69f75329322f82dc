#pragma once

// Icon helpers of Basics: icons loaded from files, upscaled sizes, buttons
// tinted for their unchecked and checked looks.
//
//     QIcon icon = Basics::loadIcon(":/icons/focus.icon");  // null on failure
//     Basics::addSizes(icon, {16, 24, 32, 48});              // smooth upscales
//     button->setIcon(icon);
//     button->setCheckable(true);
//     Basics::applyColoredIcons(button, Qt::gray, QColor(0, 159, 227));
//
// An icon file holds one QIcon as QDataStream writes it (the stream's default
// version, no header of its own); `basics-cli icon-pack` makes one from PNG
// files. loadIcon refuses, as an invalid icon, a file that is not such an
// icon in full, an icon of an engine other than the toolkit's pixmap or theme
// engine, images above 8192 pixels on a side or above 64 Mi pixels together,
// and references to files that are not regular files or resources.
//
// Every function builds the icons' Normal mode only: QIcon::Off is the
// unchecked look, QIcon::On the checked one. GUI thread only, as pixmaps
// require. Call them as Basics::name(); this holder only groups the
// declarations.

#include <basicsdll_export.h>

#include <QColor>
#include <QIcon>
#include <QList>
#include <QString>

class QAbstractButton;

/// Icon loading and tinting; call them as Basics::name().
struct BASICSDLL_EXPORT BasicsIcons
{
    BasicsIcons() = delete;

    /// The icon serialised in the file \a fileName, or a null icon when the
    /// file cannot be opened or holds no valid icon. Writes levelled debug
    /// lines of level -99: one on entry, and one naming the file for each
    /// failure ("Unable to open file:", "Invalid icon:").
    static QIcon loadIcon(const QString &fileName);

    /// Adds, for every size s of \a sizes whose best pixmap in \a icon
    /// (Normal, Off) is narrower than s, that pixmap smoothly scaled to
    /// width s (aspect kept) as a new Normal/Off pixmap. Returns whether
    /// anything was added; false for a null icon or no sizes. Sizes above
    /// 8192 are skipped.
    static bool addSizes(QIcon &icon, const QList<int> &sizes);

    /// Replaces the icon of \a button by its pixmap at the button's icon size
    /// in one flat colour per look: \a offColor unchecked, \a onColor
    /// checked; the alpha shape is kept. An invalid colour leaves that look
    /// as the plain pixmap. Nothing happens for a null button or a button
    /// without icon. Applying twice tints the tinted pixmap.
    static void applyColoredIcons(QAbstractButton *button, const QColor &offColor,
                                  const QColor &onColor);

    /// Replaces the icon of \a button by its pixmap at the button's icon
    /// size, grey when unchecked (g = (11 R + 16 G + 5 B) / 32, alpha kept)
    /// and in colour when checked. Nothing happens for a null button or a
    /// button without icon.
    static void applyGrayscaleIcons(QAbstractButton *button);
};
