#pragma once

// PhononVideoWidget: a compact video player that fits itself to the video.
//
//     auto *player = new PhononVideoWidget(this);
//     player->load("/data/alignment.mp4", true);   // true: resize to the video
//     player->play();
//
// Layout: the video area on top; below it, from left to right, the
// play/pause button, the stop button, the seek slider, the volume slider
// and the time display "mm:ss / mm:ss". load() does not start playback.
//
// Fitting: when playback first starts (or the video widget's size request
// comes in), the video's native size is taken from the video widget's size
// hint and fitted into the available area of the widget's screen, less 40
// pixels for the control row (scaled down keeping the aspect ratio where it
// does not fit). That size plus the control row becomes the widget's
// maximum size, and with load(..., true) its size too. A 1920 x 1080 video
// on a screen whose available area is 1280 x 984 gives 1280 x 720 (+ 40).
//
// Errors: when the media object fails, the buttons return to "Play" with
// stop disabled and one line "Phonon-Fehler: \"<error text>\"" goes to the
// toolkit's debug output; the widget can load the next file. The GStreamer
// back end of Phonon records a failure (a missing, empty or non-media file)
// without ever entering the error state; the widget listens for that
// back end's error report as well, so such files reach the error handling
// too.
//
// Video output (Linux, GStreamer back end): the back end's default output
// on X11 is an overlay window whose reported size follows that window
// rather than the video wherever the X server has no video scaler (XVideo):
// under Xvfb, with XWayland and in many virtual machines; its OpenGL output
// reports the right size but, in 64-bit builds, draws no picture. So,
// unless the user chose an output (environment variable
// PHONON_GST_VIDEOMODE, or "videomode" in Phonon's settings), the first
// PhononVideoWidget of a process asks for the back end's software output,
// which reports the stream's real size and draws on every desktop. The back
// end reads that choice once, when the process creates its first Phonon
// object: an application that creates other Phonon objects earlier (for
// example for status sounds) calls prepareVideoOutput() first.
//
// Audio: the audio output plays on the user's default device (category
// Phonon::VideoCategory). On a machine without a sound device the back end
// falls back to a null sink and the video still plays in real time;
// PHONON_GST_AUDIOSINK=fake asks for that null sink directly.

#include <basicsdll_export.h>

#include <QSize>
#include <QString>
#include <QWidget>

#include <phonon/phononnamespace.h>

class QLabel;
class QPushButton;
class PhononErrorWatch;

namespace Phonon {
class AudioOutput;
class MediaObject;
class SeekSlider;
class VideoWidget;
class VolumeSlider;
} // namespace Phonon

/// A video player widget built on Phonon; see the file comment.
class BASICSDLL_EXPORT PhononVideoWidget : public QWidget
{
    Q_OBJECT

public:
    /// Builds the player with nothing loaded: "Play", stop disabled, time
    /// "00:00 / 00:00". Calls prepareVideoOutput() first.
    explicit PhononVideoWidget(QWidget *parent = nullptr);
    ~PhononVideoWidget() override;

    /// Sets \a fileName as the media source without starting playback:
    /// forgets the native video size, remembers \a resizeToVideo for the
    /// next fit, shows "Play" and disables stop.
    void load(const QString &fileName, bool resizeToVideo);

    /// Starts or resumes playback.
    void play();
    /// Pauses playback.
    void pause();
    /// Stops playback.
    void stop();

    /// Fits the widget to the native video size (see the file comment);
    /// does nothing while that size is not known.
    void applyNativeSize();

    /// "mm:ss" with at least two digits each (minutes may have more, e.g.
    /// "125:07"); negative values give "00:00".
    QString formatTime(qint64 milliseconds) const;

    /// The native video size, or (-1, -1) while it is not known.
    QSize nativeVideoSize() const { return QSize(m_nativeWidth, m_nativeHeight); }
    /// The media object, for connecting to its signals (finished(),
    /// stateChanged(), ...). Owned by the widget.
    Phonon::MediaObject *mediaObject() const { return m_mediaObject; }

    /// Chooses the back end's video output for this process unless the
    /// user did (see the file comment). Idempotent; call it before the
    /// process creates its first Phonon object.
    static void prepareVideoOutput();

private slots:
    void onPlayPauseClicked();
    void onStopClicked();
    void onStateChanged(Phonon::State newState, Phonon::State oldState);
    void onTick(qint64 time);
    void onTotalTimeChanged(qint64 totalTime);
    void onVideoSizeAvailable();

private:
    void takeNativeSize(const QSize &size);
    void showTimes(qint64 time, qint64 totalTime);

    Phonon::MediaObject *m_mediaObject;
    Phonon::VideoWidget *m_videoWidget;
    Phonon::AudioOutput *m_audioOutput;
    Phonon::SeekSlider *m_seekSlider;
    Phonon::VolumeSlider *m_volumeSlider;
    QPushButton *m_playPauseButton;
    QPushButton *m_stopButton;
    QLabel *m_timeLabel;
    bool m_resizeToVideo = false;
    int m_nativeWidth = -1;
    int m_nativeHeight = -1;
    PhononErrorWatch *m_errorWatch;
};
