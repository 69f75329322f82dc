// The about dialog, filled with the library's version and build facts.

#include "gallerypage.h"
#include "pages.h"

#include <Widgets/aboutdialog.h>
#include <basicsdll_version.h>

#include <phonon/phononnamespace.h>

#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QSysInfo>
#include <QVBoxLayout>

namespace {

QList<QPair<QString, QString>> buildFacts()
{
    const QString videoOutput = qEnvironmentVariableIsEmpty("PHONON_GST_VIDEOMODE")
        ? QStringLiteral("back end default")
        : qEnvironmentVariable("PHONON_GST_VIDEOMODE");
    return {
        {QStringLiteral("Library"), QStringLiteral("BasicsDLL " BASICSDLL_VERSION_STRING)},
        {QStringLiteral("Build type"), QStringLiteral(GALLERY_BUILD_TYPE)},
        {QStringLiteral("Compiler"), QStringLiteral("GCC-compatible " __VERSION__)},
        {QStringLiteral("C++ standard"), QString::number(__cplusplus)},
        {QStringLiteral("Qt"), QStringLiteral("built with " QT_VERSION_STR ", running on %1").arg(qVersion())},
        {QStringLiteral("Phonon"), QStringLiteral(PHONON_VERSION_STRING ", video output: %1").arg(videoOutput)},
        {QStringLiteral("Platform"), QStringLiteral("%1, %2, %3")
                                         .arg(QSysInfo::prettyProductName(),
                                              QSysInfo::buildCpuArchitecture(),
                                              QGuiApplication::platformName())},
    };
}

class AboutPage : public GalleryPage
{
public:
    AboutPage() : GalleryPage(QStringLiteral("About dialog"), QStringLiteral("about-dialog"))
    {
        auto *layout = new QVBoxLayout(this);
        layout->addWidget(descriptionLabel(
            tr("AboutDialog: label/value rows in read-only fields as wide as their texts; "
               "fixed height."), this));
        // The dialog itself, shown inside the page.
        auto *embedded = new AboutDialog(buildFacts(), this);
        embedded->setWindowFlags(Qt::Widget);
        layout->addWidget(embedded);
        auto *open = new QPushButton(tr("Open as a dialog"), this);
        connect(open, &QPushButton::clicked, this, [this] {
            AboutDialog dialog(buildFacts(), this);
            dialog.exec();
        });
        layout->addWidget(open, 0, Qt::AlignLeft);
        layout->addStretch();
    }
};

} // namespace

GalleryPage *createAboutPage()
{
    return new AboutPage;
}
