// Client of the installed package: the media and effect widgets as a tool
// uses them, checked against the documented edge cases.

#include "clientcheck.h"

#include <Widgets/aboutdialog.h>
#include <Widgets/dimmer.h>
#include <Widgets/phononvideowidget.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QFormLayout>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);

    // A fade out from 1 ends exactly at 0 and removes its dimmer.
    QWidget window;
    window.show();
    QPointer<Dimmer> dimmer = Dimmer::startDimming(&window, 0.0, 0.05, 1.0);
    CLIENT_CHECK(dimmer && dimmer->objectName() == QLatin1String("dimmer"));
    QElapsedTimer clock;
    clock.start();
    QEventLoop loop;
    QObject::connect(dimmer, &QObject::destroyed, &loop, &QEventLoop::quit);
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    loop.exec();
    CLIENT_CHECK(!dimmer);
    CLIENT_CHECK(window.windowOpacity() == 0.0);
    CLIENT_CHECK(clock.elapsed() >= 19 * 20);

    // A second fade replaces the first; 1.7 counts as 1; a start of 1.2 is
    // ignored; the wrong sign is corrected.
    QPointer<Dimmer> first = Dimmer::startDimming(&window, 0.0, 0.05, 0.5);
    Dimmer *second = Dimmer::startDimming(&window, 1.7, -0.1, 1.2);
    CLIENT_CHECK(!first);
    CLIENT_CHECK(second->targetOpacity() == 1.0 && second->step() > 0);
    CLIENT_CHECK(window.windowOpacity() == 127.0 / 255);
    CLIENT_CHECK(Dimmer::startDimming(nullptr, 1, 0.1, 0) == nullptr);
    const Dimmer inert(&window, 0.5, 0.0);
    CLIENT_CHECK(!inert.isActive() && inert.objectName().isEmpty());

    PhononVideoWidget player;
    CLIENT_CHECK(player.formatTime(-1) == QLatin1String("00:00"));
    CLIENT_CHECK(player.formatTime(61999) == QLatin1String("01:01"));
    CLIENT_CHECK(player.formatTime(3600000) == QLatin1String("60:00"));
    player.load(QStringLiteral("does-not-exist.mp4"), true);
    const auto *stop = player.findChild<QPushButton *>(QStringLiteral("stopButton"));
    const auto *playPause = player.findChild<QPushButton *>(QStringLiteral("playPauseButton"));
    CLIENT_CHECK(stop && !stop->isEnabled());
    CLIENT_CHECK(playPause && playPause->text() == QLatin1String("Play"));
    CLIENT_CHECK(player.nativeVideoSize() == QSize(-1, -1));

    AboutDialog about({{"Version", "3.2.1"}, {"Built", "2024-05-07"}, {"Qt", qVersion()}});
    const auto *form = about.findChild<QFormLayout *>(QStringLiteral("formLayout"));
    CLIENT_CHECK(form && form->rowCount() == 3);
    const auto *middle = form ? qobject_cast<QLineEdit *>(form->itemAt(1, QFormLayout::FieldRole)->widget()) : nullptr;
    CLIENT_CHECK(middle && middle->text() == QLatin1String("2024-05-07") && middle->isReadOnly());
    CLIENT_CHECK(about.windowTitle() == QLatin1String("About"));
    CLIENT_CHECK(about.minimumHeight() == about.maximumHeight());

    return CLIENT_RESULT();
}
