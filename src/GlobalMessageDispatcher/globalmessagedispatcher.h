#pragma once

// GlobalMessageDispatcher: the application-wide relay of generic messages.
//
// Objects take part by naming convention only. Whatever of these members an
// object declares is connected by connect(object):
//
//     slot   genericSlot(QObject*,QString,QVariant)                      receives broadcasts
//     signal genericSignal(QObject*,QString,QVariant)                    sends broadcasts
//     slot   genericBackChannelSlot(QObject*,QString,QVariant,QVariantList&)
//                                                                        answers requests
//     signal genericBackChannelSignal(QObject*,QString,QVariant,QVariantList&)
//                                                                        sends requests
//
//     GlobalMessageDispatcher::connect(this);
//     GlobalMessageDispatcher::sendGenericSignal(this, "lensChanged", lensId);
//     QVariantList answers;
//     GlobalMessageDispatcher::sendGenericBackChannelSignal(this, "whoIsThere", {}, answers);
//
// An object that both sends and receives broadcasts gets its own messages
// too; it can tell them apart by the sender argument. Widgets that declare
// the signal statusMessage(QString,int) are funnelled into showMessage() by
// registerStatusSender().
//
// Connections are automatic and unique: direct within a thread, queued
// across threads, never doubled. Broadcasts therefore reach receivers in
// other threads later, with a copy of the payload. The back channel passes
// the answer list by reference, so only participants in the emitting
// thread can answer; the toolkit does not queue such a call (it says so
// once per connection with a "Cannot queue arguments" warning).
//
// The single instance is created by the first static call, with the
// application object as parent, and dies with it. m_instance is never reset:
// the static operations must not be called after the application object is
// gone. Make the first call on the GUI thread.

#include <basicsdll_export.h>

#include <QObject>
#include <QString>
#include <QVariant>
#include <QVariantList>

class QWidget;

/// The application-wide relay of generic signals and widget status
/// messages (see the top of this header).
class BASICSDLL_EXPORT GlobalMessageDispatcher : public QObject
{
    Q_OBJECT

public:
    /// An independent relay; it does not become the single instance.
    explicit GlobalMessageDispatcher(QObject *parent);
    /// Leaves m_instance untouched, even for the single instance.
    ~GlobalMessageDispatcher() override;

    /// The single instance, created on the first call.
    static GlobalMessageDispatcher *getInstance();

    /// Connects whichever participant members \a object declares (see the
    /// top of this header). Members it lacks are skipped without a warning;
    /// calling it again changes nothing. Null and the instance itself are
    /// ignored.
    static void connect(QObject *object);
    /// Removes the connections that connect() makes for \a object.
    static void disconnect(QObject *object);

    /// Emits genericSignal(sender, type, copy of genericData) on the
    /// instance. Receivers in the calling thread have run on return.
    static void sendGenericSignal(QObject *sender, const QString &type,
                                  const QVariant &genericData);
    /// Emits genericBackChannelSignal with the caller's list: every
    /// participant of the calling thread appends its answers, in the order
    /// of connection. The list is not cleared first.
    static void sendGenericBackChannelSignal(QObject *sender, const QString &type,
                                             const QVariant &genericData,
                                             QVariantList &genericAnswers);

    /// Relays statusMessage(QString,int) of \a widget (with \a recursive, of
    /// its descendant widgets too, depth first) to showMessage(QString,int).
    /// A connection that already exists is refused and reported by the trace
    /// line "Connection failed"; the other widgets are still processed.
    static void registerStatusSender(QWidget *widget, bool recursive);

    /// The single instance; null until the first static call. Never reset.
    static GlobalMessageDispatcher *m_instance;

signals:
    /// A generic message of \a type from \a sender to every participant.
    void genericSignal(QObject *sender, const QString &type, QVariant genericData);
    /// A generic question of \a type; participants append their answers to
    /// \a genericAnswers.
    void genericBackChannelSignal(QObject *sender, const QString &type,
                                  const QVariant &genericData, QVariantList &genericAnswers);
    /// Emitted only by the applications, through the instance.
    void onSystemChanged();
    /// Emitted only by the applications, through the instance.
    void zemaxFoldersChanged();
    /// The relayed status messages of registerStatusSender().
    void showMessage(const QString &message, int timeout);
};
