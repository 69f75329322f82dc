// Client of the installed package: the media and effect widgets, one call
// each.

#include "clientcheck.h"

#include <Widgets/aboutdialog.h>
#include <Widgets/dimmer.h>
#include <Widgets/phononvideowidget.h>

#include <QApplication>
#include <QFormLayout>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);

    QWidget window;
    const Dimmer *dimmer = Dimmer::startDimming(&window, 0.0, 0.05, 1.0);
    CLIENT_CHECK(dimmer && dimmer->isActive());

    PhononVideoWidget player;
    CLIENT_CHECK(player.formatTime(61999) == QLatin1String("01:01"));

    AboutDialog about({{"Version", "3.2.1"}, {"Qt", qVersion()}});
    const auto *form = about.findChild<QFormLayout *>(QStringLiteral("formLayout"));
    CLIENT_CHECK(form && form->rowCount() == 2);
    return CLIENT_RESULT();
}
