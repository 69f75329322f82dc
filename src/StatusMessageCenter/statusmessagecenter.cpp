#include "StatusMessageCenter/statusmessagecenter.h"

#include "Output/output.h"

#include <QCoreApplication>

StatusMessageCenter *StatusMessageCenter::instance = nullptr;

StatusMessageCenter::StatusMessageCenter(QObject *parent)
    : QObject(parent)
    , m_successColor(QStringLiteral("palegreen"))
    , m_warningColor(QStringLiteral("lightyellow"))
    , m_errorColor(QStringLiteral("coral"))
    , m_shareColor(QStringLiteral("lightgreen"))
    , m_dataColor(QStringLiteral("lightgreen"))
    , m_snapshotColor(QStringLiteral("palegreen"))
{
}

StatusMessageCenter::~StatusMessageCenter()
{
    BASICS_DEBUG(2) << "";
}

StatusMessageCenter *StatusMessageCenter::getInstance()
{
    if (!instance)
        instance = new StatusMessageCenter(QCoreApplication::instance());
    return instance;
}

StatusMessageCenter::Sounds StatusMessageCenter::sounds()
{
    const StatusMessageCenter *center = getInstance();
    return center ? center->m_sounds : NoSounds;
}

void StatusMessageCenter::setSounds(Sounds sounds)
{
    getInstance()->m_sounds = sounds;
}

void StatusMessageCenter::showMessage(const QString &message, const QColor &backgroundColor,
                                      int timeout)
{
    emit getInstance()->onShowMessage(message, backgroundColor, timeout);
}

void StatusMessageCenter::showMessage(Type type, const QString &message, int timeout)
{
    QColor color;
    StatusMessageCenter *center = getInstance();
    // Negative values count as out of range too: they index nothing.
    if (center && isType(type)) {
        color = center->color(type);
        const bool warningOrError = type == Warning || type == Error;
        const bool mayPlay = warningOrError ? center->m_sounds != NoSounds
                                            : center->m_sounds == AllSounds;
        Phonon::MediaObject *sound = center->m_soundObjects[type];
        if (mayPlay && sound) {
            // Stop first, so that a sound still playing starts over.
            sound->stop();
            sound->play();
        }
    }
    showMessage(message, color, timeout);
}

void StatusMessageCenter::clearMessage()
{
    emit getInstance()->onClearMessage();
}

Phonon::MediaObject *StatusMessageCenter::soundObject(Type type) const
{
    return isType(type) ? m_soundObjects[type].data() : nullptr;
}

void StatusMessageCenter::setSoundObject(Type type, Phonon::MediaObject *mediaObject)
{
    if (isType(type))
        m_soundObjects[type] = mediaObject;
}

void StatusMessageCenter::clearMessageSlot()
{
    emit onClearMessage();
}

void StatusMessageCenter::showMessageSlot(const QString &message, const QColor &backgroundColor,
                                          int timeout)
{
    emit onShowMessage(message, backgroundColor, timeout);
}

QColor StatusMessageCenter::color(Type type) const
{
    switch (type) {
    case Normal:
        return m_normalColor;
    case Warning:
        return m_warningColor;
    case Error:
        return m_errorColor;
    case Success:
        return m_successColor;
    case Share:
        return m_shareColor;
    case Data:
        return m_dataColor;
    case Snapshot:
        return m_snapshotColor;
    }
    return QColor();
}
