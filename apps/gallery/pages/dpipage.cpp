// DPI scaling: one panel as designed for 96 DPI and the same panel scaled
// by autoScale2, by the screen's logical DPI (and "-highdpi" on the command
// line) and by a fixed factor.

#include "gallerypage.h"
#include "pages.h"

#include <Basics/basics.h>

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// A small form laid out for 96 DPI, marked for auto-scaling.
QGroupBox *samplePanel(const QString &title, QWidget *parent)
{
    auto *box = new QGroupBox(title, parent);
    box->setProperty("AutoScale", true);
    auto *layout = new QVBoxLayout(box);
    layout->setSpacing(4);
    auto *name = new QLineEdit(QStringLiteral("Doublet f=100"), box);
    name->setMinimumSize(140, 22);
    name->setProperty("AutoScale", true);
    layout->addWidget(name);
    auto *check = new QCheckBox(QStringLiteral("Achromatic"), box);
    check->setProperty("AutoScale", true);
    layout->addWidget(check);
    auto *button = new QPushButton(QStringLiteral("Trace"), box);
    button->setMinimumSize(80, 24);
    button->setProperty("AutoScale", true);
    button->setStyleSheet(QStringLiteral("QPushButton { padding: 2apx 8apx; border: 1apx solid gray; }"));
    layout->addWidget(button);
    layout->addStretch();
    return box;
}

class DpiPage : public GalleryPage
{
public:
    DpiPage() : GalleryPage(QStringLiteral("DPI scaling"), QStringLiteral("dpi-scaling"))
    {
        auto *layout = new QVBoxLayout(this);
        const int dpi = Basics::myLogicalDpiX(this);
        layout->addWidget(descriptionLabel(
            tr("autoScale2: widgets marked \"AutoScale\" scaled with their layouts and "
               "\"apx\" style sheets. Logical DPI here: %1 (factor %2; \"-highdpi <factor>\" "
               "on the command line enlarges it).").arg(dpi).arg(dpi / 96.0), this));
        auto *row = new QHBoxLayout;
        row->addWidget(samplePanel(tr("As designed for 96 DPI"), this), 0, Qt::AlignTop);
        QGroupBox *byScreen = samplePanel(tr("autoScale2, screen factor"), this);
        Basics::autoScale2(byScreen, true, 0);
        row->addWidget(byScreen, 0, Qt::AlignTop);
        QGroupBox *byOneAndAHalf = samplePanel(tr("autoScale2, factor 1.5"), this);
        Basics::autoScale2(byOneAndAHalf, true, 1.5);
        row->addWidget(byOneAndAHalf, 0, Qt::AlignTop);
        row->addStretch();
        layout->addLayout(row);
        layout->addStretch();
    }
};

} // namespace

GalleryPage *createDpiPage()
{
    return new DpiPage;
}
