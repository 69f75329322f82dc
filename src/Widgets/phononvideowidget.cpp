#include "Widgets/phononvideowidget.h"

#include "Widgets/phononerrorwatch_p.h"

#include <phonon/audiooutput.h>
#include <phonon/mediaobject.h>
#include <phonon/mediasource.h>
#include <phonon/path.h>
#include <phonon/seekslider.h>
#include <phonon/videowidget.h>
#include <phonon/volumeslider.h>

#include <QDebug>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QUrl>
#include <QVBoxLayout>

namespace {
// Height of the control row below the video.
constexpr int controlRowHeight = 40;
} // namespace

PhononVideoWidget::PhononVideoWidget(QWidget *parent)
    : QWidget(parent)
{
    prepareVideoOutput();

    m_mediaObject = new Phonon::MediaObject(this);
    m_mediaObject->setObjectName(QStringLiteral("mediaObject"));
    m_videoWidget = new Phonon::VideoWidget(this);
    m_videoWidget->setObjectName(QStringLiteral("videoWidget"));
    m_videoWidget->setMinimumSize(320, 180);
    m_videoWidget->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    m_audioOutput = new Phonon::AudioOutput(Phonon::VideoCategory, this);
    m_audioOutput->setObjectName(QStringLiteral("audioOutput"));
    m_seekSlider = new Phonon::SeekSlider(m_mediaObject, this);
    m_seekSlider->setObjectName(QStringLiteral("seekSlider"));
    m_volumeSlider = new Phonon::VolumeSlider(m_audioOutput, this);
    m_volumeSlider->setObjectName(QStringLiteral("volumeSlider"));
    m_volumeSlider->setMaximumWidth(120);
    m_playPauseButton = new QPushButton(tr("Play"), this);
    m_playPauseButton->setObjectName(QStringLiteral("playPauseButton"));
    m_stopButton = new QPushButton(tr("Stop"), this);
    m_stopButton->setObjectName(QStringLiteral("stopButton"));
    m_stopButton->setEnabled(false);
    m_timeLabel = new QLabel(QStringLiteral("00:00 / 00:00"), this);
    m_timeLabel->setObjectName(QStringLiteral("timeLabel"));
    m_timeLabel->setMinimumWidth(110);
    m_timeLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    Phonon::createPath(m_mediaObject, m_videoWidget);
    Phonon::createPath(m_mediaObject, m_audioOutput);
    m_mediaObject->setTickInterval(500);

    connect(m_playPauseButton, SIGNAL(clicked()), this, SLOT(onPlayPauseClicked()));
    connect(m_stopButton, SIGNAL(clicked()), this, SLOT(onStopClicked()));
    connect(m_mediaObject, SIGNAL(stateChanged(Phonon::State,Phonon::State)), this,
            SLOT(onStateChanged(Phonon::State,Phonon::State)));
    connect(m_mediaObject, SIGNAL(tick(qint64)), this, SLOT(onTick(qint64)));
    connect(m_mediaObject, SIGNAL(totalTimeChanged(qint64)), this,
            SLOT(onTotalTimeChanged(qint64)));
    connect(m_videoWidget, SIGNAL(customContextMenuRequested(QPoint)), this,
            SLOT(onVideoSizeAvailable()));

    m_errorWatch = new PhononErrorWatch(m_mediaObject, this);
    connect(m_errorWatch, &PhononErrorWatch::fatalError, this, [this] {
        // A back end that does enter the error state has been heard already.
        if (m_mediaObject->state() != Phonon::ErrorState)
            onStateChanged(Phonon::ErrorState, m_mediaObject->state());
    });

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(4);
    layout->addWidget(m_videoWidget);
    auto *controls = new QHBoxLayout;
    controls->addWidget(m_playPauseButton);
    controls->addWidget(m_stopButton);
    controls->addWidget(m_seekSlider);
    controls->addWidget(m_volumeSlider);
    controls->addWidget(m_timeLabel);
    layout->addLayout(controls);
}

PhononVideoWidget::~PhononVideoWidget() = default;

void PhononVideoWidget::load(const QString &fileName, bool resizeToVideo)
{
    m_nativeWidth = -1;
    m_nativeHeight = -1;
    m_resizeToVideo = resizeToVideo;
    m_errorWatch->newAttempt();
    // An absolute file URL: a bare path that does not exist would
    // otherwise become a URL without scheme that the back end cannot name
    // in its error.
    const QUrl url = fileName.isEmpty()
        ? QUrl()
        : QUrl::fromLocalFile(QFileInfo(fileName).absoluteFilePath());
    m_errorWatch->settleBackend();
    m_mediaObject->setCurrentSource(Phonon::MediaSource(url));
    m_errorWatch->settleBackend();
    m_playPauseButton->setText(tr("Play"));
    m_stopButton->setEnabled(false);
}

void PhononVideoWidget::play()
{
    m_errorWatch->newAttempt();
    m_errorWatch->settleBackend();
    m_mediaObject->play();
}

void PhononVideoWidget::pause()
{
    m_mediaObject->pause();
}

void PhononVideoWidget::stop()
{
    m_mediaObject->stop();
}

void PhononVideoWidget::onPlayPauseClicked()
{
    if (m_mediaObject->state() == Phonon::PlayingState)
        pause();
    else
        play();
}

void PhononVideoWidget::onStopClicked()
{
    stop();
}

void PhononVideoWidget::onStateChanged(Phonon::State newState, Phonon::State /*oldState*/)
{
    switch (newState) {
    case Phonon::StoppedState:
        m_playPauseButton->setText(tr("Play"));
        m_stopButton->setEnabled(false);
        break;
    case Phonon::PlayingState:
        m_playPauseButton->setText(tr("Pause"));
        m_stopButton->setEnabled(true);
        if (m_nativeWidth < 0 || m_nativeHeight < 0) {
            const QSize hint = m_videoWidget->sizeHint();
            if (hint.width() > 0 && hint.height() > 0)
                takeNativeSize(hint);
        }
        break;
    case Phonon::PausedState:
        m_playPauseButton->setText(tr("Play"));
        break;
    case Phonon::ErrorState: {
        m_playPauseButton->setText(tr("Play"));
        m_stopButton->setEnabled(false);
        QString error = m_mediaObject->errorString();
        if (error.isEmpty())
            error = m_errorWatch->lastError();
        qDebug() << "Phonon-Fehler:" << error;
        break;
    }
    case Phonon::LoadingState:
    case Phonon::BufferingState:
        break;
    }
}

void PhononVideoWidget::onTick(qint64 time)
{
    showTimes(time, m_mediaObject->totalTime());
}

void PhononVideoWidget::onTotalTimeChanged(qint64 totalTime)
{
    showTimes(m_mediaObject->currentTime(), totalTime);
}

void PhononVideoWidget::onVideoSizeAvailable()
{
    if (m_nativeWidth >= 0 && m_nativeHeight >= 0)
        return;
    const QSize hint = m_videoWidget->sizeHint();
    if (hint.width() > 0 && hint.height() >= 0)
        takeNativeSize(hint);
}

void PhononVideoWidget::takeNativeSize(const QSize &size)
{
    m_nativeWidth = size.width();
    m_nativeHeight = size.height();
    applyNativeSize();
}

void PhononVideoWidget::applyNativeSize()
{
    if (m_nativeWidth < 0 || m_nativeHeight < 0)
        return;
    const QScreen *screen = this->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect available = screen->availableGeometry();
    const QSize room(available.width(), available.height() - controlRowHeight);
    QSize video(m_nativeWidth, m_nativeHeight);
    if (video.width() > room.width() || video.height() > room.height())
        video.scale(room.expandedTo(QSize(0, 0)), Qt::KeepAspectRatio);
    setMaximumSize(video.width(), video.height() + controlRowHeight);
    m_videoWidget->setMinimumSize(0, 0);
    m_videoWidget->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    m_videoWidget->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    if (m_resizeToVideo)
        resize(video.width(), video.height() + controlRowHeight);
}

void PhononVideoWidget::showTimes(qint64 time, qint64 totalTime)
{
    m_timeLabel->setText(formatTime(time) + QStringLiteral(" / ") + formatTime(totalTime));
}

QString PhononVideoWidget::formatTime(qint64 milliseconds) const
{
    if (milliseconds < 0)
        return QStringLiteral("00:00");
    const qint64 seconds = milliseconds / 1000;
    return QStringLiteral("%1:%2")
        .arg(seconds / 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}
