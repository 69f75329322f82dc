#include "Widgets/phononerrorwatch_p.h"

#include <phonon/mediaobject.h>

#include <QCoreApplication>
#include <QMetaMethod>

PhononErrorWatch::PhononErrorWatch(Phonon::MediaObject *mediaObject, QObject *parent)
    : QObject(parent)
    , m_mediaObject(mediaObject)
{
    const QByteArray signature = QMetaObject::normalizedSignature("errorMessage(QString,Phonon::ErrorType)");
    const QMetaMethod slot = metaObject()->method(
        metaObject()->indexOfSlot("onBackendError(QString,Phonon::ErrorType)"));
    for (QObject *object : mediaObject->findChildren<QObject *>()) {
        const int index = object->metaObject()->indexOfSignal(signature.constData());
        if (index >= 0)
            connect(object, object->metaObject()->method(index), this, slot, Qt::DirectConnection);
    }
}

void PhononErrorWatch::onBackendError(const QString &message, Phonon::ErrorType type)
{
    if (type != Phonon::FatalError)
        return;
    // The attempt is taken now, on the reporting thread: by the time the
    // report reaches the widget's thread a new source may be playing.
    QMetaObject::invokeMethod(this, "report", Qt::QueuedConnection, Q_ARG(QString, message),
                              Q_ARG(int, m_attempt.loadAcquire()));
}

void PhononErrorWatch::report(const QString &message, int attempt)
{
    if (attempt != m_attempt.loadAcquire() || attempt == m_reportedAttempt)
        return;
    m_reportedAttempt = attempt;
    m_lastError = message;
    emit fatalError();
}

void PhononErrorWatch::settleBackend()
{
    // The back end's objects are the media object's direct children.
    for (QObject *backend : m_mediaObject->findChildren<QObject *>(QString(), Qt::FindDirectChildrenOnly))
        QCoreApplication::sendPostedEvents(backend, QEvent::MetaCall);
}
