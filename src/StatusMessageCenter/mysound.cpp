#include "StatusMessageCenter/mysound.h"

#include <QFile>
#include <QMediaPlayer>
#include <QSound>
#include <QTemporaryFile>
#include <QUrl>

namespace {

// QSound plays PCM WAV files only ("RIFF" size "WAVE"); everything else goes
// to the media player.
bool isWaveFile(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray header = file.read(12);
    return header.size() == 12 && header.startsWith("RIFF") && header.mid(8, 4) == "WAVE";
}

// Gives up \a copy but keeps its file: returns the file's name (empty when
// the copy could not be created). QTemporaryFile::close() only rewinds and
// keeps the system handle open, which on Windows can keep the player from
// opening the file by its name; deleting the object without automatic
// removal releases the handle. The MySound removes the file itself.
QString releaseCopy(QTemporaryFile *copy)
{
    const QString name = copy->fileName();
    copy->setAutoRemove(false);
    delete copy;
    return name;
}

} // namespace

MySound::MySound(QObject *parent)
    : QObject(parent)
{
}

MySound::MySound(const QString &soundFile)
    : QObject(nullptr)
{
    setSoundFile(soundFile);
}

MySound::MySound(const MySound &other)
    : QObject(nullptr)
{
    setSoundFile(other.soundFile());
}

MySound &MySound::operator=(const MySound &other)
{
    if (&other != this)
        setSoundFile(other.soundFile());
    return *this;
}

MySound::~MySound()
{
    deleteSound();
    removeLocalCopy();
}

QString MySound::soundFile() const
{
    return m_soundFile;
}

void MySound::setSoundFile(const QString &soundFile)
{
    deleteSound();
    removeLocalCopy();

    m_soundFile = soundFile;
    // An empty path names no file (and opening it would only make the
    // toolkit warn).
    if (soundFile.isEmpty())
        return;

    // Files that are not on a local disk (resources, for instance) come back
    // as a temporary local file already filled with the content.
    QFile file(soundFile);
    QTemporaryFile *copy = QTemporaryFile::createNativeFile(file);
    if (!copy && file.open(QIODevice::ReadOnly)) {
        copy = new QTemporaryFile;
        if (copy->open())
            copy->write(file.readAll());
    }
    if (copy) {
        m_localCopy = releaseCopy(copy);
        createPlayer(m_localCopy);
    }
}

void MySound::removeLocalCopy()
{
    if (!m_localCopy.isEmpty())
        QFile::remove(m_localCopy);
    m_localCopy.clear();
}

void MySound::deleteSound()
{
    if (m_sound) {
        m_sound->stop();
        delete m_sound;
        m_sound = nullptr;
    }
    if (m_player) {
        m_player->stop();
        delete m_player;
        m_player = nullptr;
    }
}

void MySound::play()
{
    if (m_sound)
        m_sound->play();
    else if (m_player)
        m_player->play();
}

void MySound::stop()
{
    if (m_sound)
        m_sound->stop();
    else if (m_player)
        m_player->stop();
}

void MySound::createPlayer(const QString &localFile)
{
    // A copy that could not be written has no name: nothing to play.
    if (localFile.isEmpty())
        return;
    if (isWaveFile(localFile)) {
        m_sound = new QSound(localFile, this);
        return;
    }
    m_player = new QMediaPlayer(this);
    m_player->setMedia(QUrl::fromLocalFile(localFile));
}
