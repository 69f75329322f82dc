#pragma once

// MySound: plays one sound file, also one stored in the application's
// resources.
//
//     MySound click(":/Sounds/snapshot");
//     click.play();
//
// Every sound, local or not, is played from a private temporary copy that
// lives as long as the MySound (or until the next setSoundFile), so the
// platform player always gets a plain local file. The MySound holds no open
// handle on the copy, so the player can open it on every platform. A copy
// made with the copy constructor or by assignment makes its own temporary
// copy and its own player.
//
// Playing: PCM WAV files go to the toolkit's simple sound player (QSound);
// every other format, MP3 like the library's own ":/Sounds/..." clips
// included, goes to the toolkit's media player, which decodes whatever the
// installed multimedia back end can (on Linux: GStreamer plugins). The
// player is a child of the MySound either way.
//
// A file that cannot be read leaves the MySound without sound: soundFile()
// still names it, play() and stop() do nothing, nothing is reported.

#include <basicsdll_export.h>

#include <QObject>
#include <QString>

class QMediaPlayer;
class QSound;

/// Plays a sound file, or one of the library's embedded sounds, from a
/// private temporary copy (see the top of this header).
class BASICSDLL_EXPORT MySound : public QObject
{
    Q_OBJECT

public:
    /// No file, no sound.
    explicit MySound(QObject *parent = nullptr);
    /// No parent; loads \a soundFile.
    explicit MySound(const QString &soundFile);
    /// No parent; loads other's file into a temporary copy of its own.
    MySound(const MySound &other);
    /// Loads other's file unless \a other is this object.
    MySound &operator=(const MySound &other);
    /// Stops and deletes the player, then removes the temporary copy.
    ~MySound() override;

    /// The path given last (empty at first), whether it could be read or not.
    QString soundFile() const;
    /// Drops the current sound and loads \a soundFile into a fresh
    /// temporary copy.
    void setSoundFile(const QString &soundFile);
    /// Stops and deletes the player, if there is one.
    void deleteSound();

public slots:
    /// Plays the loaded sound from its start; nothing without one.
    void play();
    /// Stops playing.
    void stop();

private:
    void createPlayer(const QString &localFile);
    void removeLocalCopy();

    QString m_soundFile;
    // The private temporary copy: its file name, empty when there is none
    // (or when it could not be created). The file is closed; the MySound
    // removes it with the next setSoundFile and when it is destroyed.
    QString m_localCopy;
    QSound *m_sound = nullptr;             // child; WAV files
    QMediaPlayer *m_player = nullptr;      // child; every other format
};
