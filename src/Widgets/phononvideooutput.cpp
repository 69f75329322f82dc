// The video output of Phonon's GStreamer back end (see the file comment of
// phononvideowidget.h for why the widget chooses one).

#include "Widgets/phononvideowidget.h"

#include <QSettings>

namespace {

const char videoModeVariable[] = "PHONON_GST_VIDEOMODE";

// The user's own choice: the environment, or the back end's setting
// (organisation "Trolltech", group "Qt", key "videomode"; "Auto" chooses
// nothing).
bool userChoseVideoMode()
{
    if (!qEnvironmentVariableIsEmpty(videoModeVariable))
        return true;
    QSettings settings(QStringLiteral("Trolltech"));
    settings.beginGroup(QStringLiteral("Qt"));
    const QString mode = settings.value(QStringLiteral("videomode")).toString();
    return !mode.isEmpty() && mode.compare(QLatin1String("auto"), Qt::CaseInsensitive) != 0;
}

} // namespace

void PhononVideoWidget::prepareVideoOutput()
{
    static bool prepared = false;
    if (prepared)
        return;
    prepared = true;
    if (!userChoseVideoMode())
        qputenv(videoModeVariable, "software");
}
