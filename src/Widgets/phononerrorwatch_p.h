#pragma once

// Catches the failures that a Phonon back end reports without entering the
// error state.
//
// Phonon's GStreamer back end turns a pipeline error (missing file, no
// decoder, a file that is no media at all) into an error code and text on
// its media object and then shuts the pipeline down, but its state never
// becomes Phonon::ErrorState, so the frontend's stateChanged() never says
// so and errorString() stays empty. The back end's pipeline object
// announces each failure through its signal
// "errorMessage(QString,Phonon::ErrorType)", from its streaming threads and
// often several times for one failure. The watch listens to every object
// below the media object that has this signal and emits fatalError() for
// the first fatal failure of each attempt (a new source, a new request to
// play); failures that belong to an earlier attempt but arrive late are
// dropped. With back ends that have no such object the watch stays silent.

#include <QAtomicInt>
#include <QObject>
#include <QString>

#include <phonon/phononnamespace.h>

namespace Phonon {
class MediaObject;
}

class PhononErrorWatch : public QObject
{
    Q_OBJECT

public:
    PhononErrorWatch(Phonon::MediaObject *mediaObject, QObject *parent);

    /// The text of the latest fatal failure reported.
    QString lastError() const { return m_lastError; }
    /// Starts a new attempt: call it before handing the media object a new
    /// source or asking it to play.
    void newAttempt() { m_attempt.fetchAndAddOrdered(1); }
    /// Delivers the calls that the back end has queued for itself. The
    /// GStreamer back end handles a failure in queued steps that end by
    /// shutting its pipeline down; run late, they would shut down the
    /// next source's playback as well. Call it before handing the media
    /// object a new source and again afterwards.
    void settleBackend();

signals:
    void fatalError();

private slots:
    // Runs on the thread that reports (direct connection).
    void onBackendError(const QString &message, Phonon::ErrorType type);

private:
    Q_INVOKABLE void report(const QString &message, int attempt);

    Phonon::MediaObject *m_mediaObject;
    QAtomicInt m_attempt;
    int m_reportedAttempt = -1;
    QString m_lastError;
};
