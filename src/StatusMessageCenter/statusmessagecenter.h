#pragma once

// StatusMessageCenter: the application-wide entry point for transient
// status messages.
//
//     StatusMessageCenter::showMessage(StatusMessageCenter::Error, "Lens not found", 5000);
//     StatusMessageCenter::clearMessage();
//
// The single instance re-emits every message as onShowMessage(message,
// backgroundColor, timeout) or onClearMessage(); the application's status
// display connects to them. The center displays nothing itself and passes
// the timeout on uninterpreted.
//
// A message type selects a background colour and may play a sound:
//
//     type       colour        sound played at level
//     Normal     (invalid)     AllSounds
//     Warning    lightyellow   any level but NoSounds
//     Error      coral         any level but NoSounds
//     Success    palegreen     AllSounds
//     Share      lightgreen    AllSounds
//     Data       lightgreen    AllSounds
//     Snapshot   palegreen     AllSounds
//
// Other type values get no colour and no sound. "AllSounds" means a stored
// level of exactly 2; a stored value outside the enumeration (3, say)
// therefore sounds for Warning and Error only.
//
// Sounds come from the media objects the application places in the type's
// sound slot (setSoundObject); the center stops and replays them but never
// owns them, and an object destroyed meanwhile leaves its slot empty. The
// library fills no slot: with the library alone no message makes a sound.
// The library's own clips are the resources ":/Sounds/error", "warning",
// "normal", "share", "success", "data" and "snapshot" (MP3, no extension).
//
// The single instance is created by the first static call, with the
// application object as parent, and dies with it; `instance` is never
// reset, so the static operations must not be called after the application
// object is gone. Use it on the GUI thread.

#include <basicsdll_export.h>

#include <QColor>
#include <QObject>
#include <QPointer>
#include <QString>

#include <phonon/mediaobject.h>

/// Typed status messages with colours and sounds for the application's
/// status display (see the top of this header).
class BASICSDLL_EXPORT StatusMessageCenter : public QObject
{
    Q_OBJECT

public:
    // Fixed to int: every int is a valid value, so the out-of-range values
    // that callers may pass are well defined (and ignored as documented).
    /// The kind of a status message; it picks the colour and the sound slot.
    enum Type : int { Normal = 0, Warning = 1, Error = 2, Success = 3, Share = 4, Data = 5, Snapshot = 6 };
    /// Which message types make a sound.
    enum Sounds : int { NoSounds = 0, WarningAndErrorSounds = 1, AllSounds = 2 };
    Q_ENUM(Type)
    Q_ENUM(Sounds)

    /// An independent center (level AllSounds, empty slots); it does not
    /// become the single instance.
    explicit StatusMessageCenter(QObject *parent);
    /// Writes a levelled debug line of level 2.
    ~StatusMessageCenter() override;

    /// The single instance, created on the first call.
    static StatusMessageCenter *getInstance();

    /// The sound level of the instance.
    static Sounds sounds();
    /// Stores the sound level of the instance, unchecked.
    static void setSounds(Sounds sounds);

    /// Emits onShowMessage(message, backgroundColor, timeout) on the instance.
    /// All three arguments are required: with a default timeout,
    /// showMessage("Saved", 3000) would take 3000 for a colour.
    static void showMessage(const QString &message, const QColor &backgroundColor, int timeout);
    /// A message and a timeout alone name no colour and no type.
    static void showMessage(const QString &message, int timeout) = delete;
    /// Emits onShowMessage with the type's colour, after replaying the
    /// type's sound if the level allows it and the slot holds one.
    static void showMessage(Type type, const QString &message, int timeout = 0);
    /// Emits onClearMessage() on the instance.
    static void clearMessage();

    /// The media object in the sound slot of \a type (null if empty or out
    /// of range).
    Phonon::MediaObject *soundObject(Type type) const;
    /// Puts \a mediaObject (not owned; may be null) into the sound slot of
    /// \a type; a type out of range is ignored.
    void setSoundObject(Type type, Phonon::MediaObject *mediaObject);

    /// The single instance; null until the first static call. Never reset.
    static StatusMessageCenter *instance;

signals:
    /// The status display should clear its message.
    void onClearMessage();
    /// The status display should show \a message on \a backgroundColor for
    /// \a timeout milliseconds (0: until replaced).
    void onShowMessage(const QString &message, const QColor &backgroundColor, int timeout);

public slots:
    /// Emits onClearMessage().
    void clearMessageSlot();
    /// Emits onShowMessage() with the arguments given.
    /// Also "showMessageSlot(QString,QColor)" and "showMessageSlot(QString)".
    void showMessageSlot(const QString &message, const QColor &backgroundColor = QColor(),
                         int timeout = 0);

private:
    static constexpr int typeCount = 7;
    static bool isType(int type) { return type >= 0 && type < typeCount; }

    Sounds m_sounds = AllSounds;
    QPointer<Phonon::MediaObject> m_soundObjects[typeCount];
    QColor m_successColor;
    QColor m_normalColor;
    QColor m_warningColor;
    QColor m_errorColor;
    QColor m_shareColor;
    QColor m_dataColor;
    QColor m_snapshotColor;

    QColor color(Type type) const;
};
