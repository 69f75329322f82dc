// Icons: an icon file written and loaded back with loadIcon, upscaled with
// addSizes, and buttons with tinted and grey unchecked/checked looks.

#include "gallerypage.h"
#include "pages.h"

#include <Basics/basics.h>

#include <QDataStream>
#include <QFile>
#include <QGridLayout>
#include <QLabel>
#include <QPainter>
#include <QTemporaryDir>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// A small lens drawing as the gallery's icon.
QIcon drawnIcon()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(30, 30, 120), 1));
    painter.setBrush(QColor(120, 190, 255));
    painter.drawEllipse(QRectF(4.5, 0.5, 7, 15));
    painter.setPen(QPen(Qt::red, 1));
    painter.drawLine(0, 8, 16, 8);
    return QIcon(pixmap);
}

class IconsPage : public GalleryPage
{
public:
    IconsPage() : GalleryPage(QStringLiteral("Icons"), QStringLiteral("icons"))
    {
        auto *layout = new QVBoxLayout(this);
        layout->addWidget(descriptionLabel(
            tr("Icons: an icon file read with loadIcon, upscaled with addSizes; buttons with "
               "tinted (applyColoredIcons) and grey (applyGrayscaleIcons) unchecked and "
               "checked looks."), this));

        // An icon file as the tools keep them: one QIcon, serialised.
        const QString file = m_files.filePath(QStringLiteral("lens.icon"));
        QFile out(file);
        if (out.open(QIODevice::WriteOnly)) {
            QDataStream stream(&out);
            stream << drawnIcon();
        }
        out.close();
        QIcon icon = Basics::loadIcon(file);
        Basics::addSizes(icon, {16, 32, 48});

        auto *grid = new QGridLayout;
        int column = 0;
        for (int size : {16, 32, 48}) {
            auto *label = new QLabel(this);
            label->setPixmap(icon.pixmap(size, size));
            grid->addWidget(label, 0, column);
            grid->addWidget(new QLabel(tr("%1 px").arg(size), this), 1, column++);
        }
        const auto addButton = [&](const QString &text, bool checked, auto look) {
            auto *button = new QToolButton(this);
            button->setIcon(icon);
            button->setIconSize(QSize(32, 32));
            button->setCheckable(true);
            button->setChecked(checked);
            button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
            button->setText(text);
            look(button);
            grid->addWidget(button, 2, column++);
        };
        const auto tinted = [](QAbstractButton *button) {
            Basics::applyColoredIcons(button, Qt::gray, QColor(0, 159, 227));
        };
        const auto grey = [](QAbstractButton *button) { Basics::applyGrayscaleIcons(button); };
        column = 0;
        addButton(tr("tinted, off"), false, tinted);
        addButton(tr("tinted, on"), true, tinted);
        addButton(tr("grey, off"), false, grey);
        addButton(tr("grey, on"), true, grey);
        layout->addLayout(grid);
        layout->addStretch();
    }

private:
    QTemporaryDir m_files;
};

} // namespace

GalleryPage *createIconsPage()
{
    return new IconsPage;
}
