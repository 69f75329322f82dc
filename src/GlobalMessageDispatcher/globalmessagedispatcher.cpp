#include "GlobalMessageDispatcher/globalmessagedispatcher.h"

#include "Output/output.h"

#include <QCoreApplication>
#include <QMetaMethod>
#include <QWidget>

GlobalMessageDispatcher *GlobalMessageDispatcher::m_instance = nullptr;

namespace {

// Automatic delivery that never doubles an existing connection.
constexpr Qt::ConnectionType uniqueAuto = Qt::ConnectionType(Qt::AutoConnection | Qt::UniqueConnection);

// The participant members, looked up by these exact signatures.
const char *const receiveSlot = "genericSlot(QObject*,QString,QVariant)";
const char *const sendSignal = "genericSignal(QObject*,QString,QVariant)";
const char *const answerSlot = "genericBackChannelSlot(QObject*,QString,QVariant,QVariantList&)";
const char *const askSignal = "genericBackChannelSignal(QObject*,QString,QVariant,QVariantList&)";
const char *const statusSignal = "statusMessage(QString,int)";

enum class Kind { Signal, Slot };

// The member of \a object's own meta-object with \a signature, or an invalid
// method: looking it up first keeps the toolkit from warning about objects
// that simply do not take part in one direction.
QMetaMethod member(const QObject *object, const char *signature, Kind kind)
{
    const QByteArray normalized = QMetaObject::normalizedSignature(signature);
    const QMetaObject *meta = object->metaObject();
    const int index = kind == Kind::Signal ? meta->indexOfSignal(normalized.constData())
                                           : meta->indexOfSlot(normalized.constData());
    return index < 0 ? QMetaMethod() : meta->method(index);
}

QMetaMethod broadcastSignal()
{
    return QMetaMethod::fromSignal(&GlobalMessageDispatcher::genericSignal);
}

QMetaMethod backChannelSignal()
{
    return QMetaMethod::fromSignal(&GlobalMessageDispatcher::genericBackChannelSignal);
}

} // namespace

GlobalMessageDispatcher::GlobalMessageDispatcher(QObject *parent)
    : QObject(parent)
{
}

GlobalMessageDispatcher::~GlobalMessageDispatcher() = default;

GlobalMessageDispatcher *GlobalMessageDispatcher::getInstance()
{
    if (!m_instance)
        m_instance = new GlobalMessageDispatcher(QCoreApplication::instance());
    return m_instance;
}

void GlobalMessageDispatcher::connect(QObject *object)
{
    if (!object)
        return;
    GlobalMessageDispatcher *instance = getInstance();
    // The instance would relay its own broadcasts to itself without end.
    if (object == instance)
        return;

    const QMetaMethod receive = member(object, receiveSlot, Kind::Slot);
    if (receive.isValid())
        QObject::connect(instance, broadcastSignal(), object, receive, uniqueAuto);
    const QMetaMethod send = member(object, sendSignal, Kind::Signal);
    if (send.isValid())
        QObject::connect(object, send, instance, broadcastSignal(), uniqueAuto);
    const QMetaMethod answer = member(object, answerSlot, Kind::Slot);
    if (answer.isValid())
        QObject::connect(instance, backChannelSignal(), object, answer, uniqueAuto);
    const QMetaMethod ask = member(object, askSignal, Kind::Signal);
    if (ask.isValid())
        QObject::connect(object, ask, instance, backChannelSignal(), uniqueAuto);
}

void GlobalMessageDispatcher::disconnect(QObject *object)
{
    if (!object)
        return;
    GlobalMessageDispatcher *instance = getInstance();

    // A member the object lacks cannot be connected; asking the toolkit to
    // remove such a connection would only produce a warning.
    const QMetaMethod receive = member(object, receiveSlot, Kind::Slot);
    if (receive.isValid())
        QObject::disconnect(instance, broadcastSignal(), object, receive);
    const QMetaMethod send = member(object, sendSignal, Kind::Signal);
    if (send.isValid())
        QObject::disconnect(object, send, instance, broadcastSignal());
    const QMetaMethod answer = member(object, answerSlot, Kind::Slot);
    if (answer.isValid())
        QObject::disconnect(instance, backChannelSignal(), object, answer);
    const QMetaMethod ask = member(object, askSignal, Kind::Signal);
    if (ask.isValid())
        QObject::disconnect(object, ask, instance, backChannelSignal());
}

void GlobalMessageDispatcher::sendGenericSignal(QObject *sender, const QString &type,
                                                const QVariant &genericData)
{
    emit getInstance()->genericSignal(sender, type, QVariant(genericData));
}

void GlobalMessageDispatcher::sendGenericBackChannelSignal(QObject *sender, const QString &type,
                                                           const QVariant &genericData,
                                                           QVariantList &genericAnswers)
{
    emit getInstance()->genericBackChannelSignal(sender, type, genericData, genericAnswers);
}

void GlobalMessageDispatcher::registerStatusSender(QWidget *widget, bool recursive)
{
    if (!widget)
        return;
    GlobalMessageDispatcher *instance = getInstance();

    QList<QWidget *> candidates{widget};
    if (recursive)
        candidates += widget->findChildren<QWidget *>(QString(), Qt::FindChildrenRecursively);

    const QMetaMethod relay = QMetaMethod::fromSignal(&GlobalMessageDispatcher::showMessage);
    for (QWidget *candidate : qAsConst(candidates)) {
        const QMetaMethod status = member(candidate, statusSignal, Kind::Signal);
        if (!status.isValid())
            continue;
        if (!QObject::connect(candidate, status, instance, relay, uniqueAuto))
            BASICS_TRACE << "Connection failed";
    }
}
