// The video player playing the clip that comes with the gallery.

#include "gallerypage.h"
#include "pages.h"

#include <Widgets/phononvideowidget.h>

#include <phonon/mediaobject.h>

#include <QFileInfo>
#include <QLabel>
#include <QVBoxLayout>

namespace {

class VideoPage : public GalleryPage
{
public:
    explicit VideoPage(const QString &clip)
        : GalleryPage(QStringLiteral("Video player"), QStringLiteral("video-player")), m_clip(clip)
    {
        auto *layout = new QVBoxLayout(this);
        layout->addWidget(descriptionLabel(
            tr("PhononVideoWidget: play/pause, stop, seek and volume, fitted to the video "
               "(%1).").arg(QFileInfo(clip).fileName()), this));
        m_player = new PhononVideoWidget(this);
        layout->addWidget(m_player, 1);
        if (!clip.isEmpty())
            m_player->load(clip, false);
    }

    void activate() override
    {
        if (!m_started && !m_clip.isEmpty()) {
            m_started = true;
            m_player->play();
        }
    }

    // A picture one second into the clip, paused so that it holds still.
    bool readyForScreenshot() override
    {
        if (m_clip.isEmpty())
            return true;
        Phonon::MediaObject *media = m_player->mediaObject();
        if (media->state() == Phonon::PausedState)
            return true;
        if (media->state() == Phonon::PlayingState && media->currentTime() >= 1000)
            m_player->pause();
        return false;
    }

private:
    PhononVideoWidget *m_player;
    QString m_clip;
    bool m_started = false;
};

} // namespace

GalleryPage *createVideoPage(const QString &clip)
{
    return new VideoPage(clip);
}
