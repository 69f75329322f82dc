// MySound and the embedded sounds: every sound plays from a private
// temporary copy, copies of a MySound make their own, WAV files go to QSound
// and everything else to the media player, and each embedded MP3 decodes.

#include <StatusMessageCenter/mysound.h>

#include "testsupport/messagecapture.h"

#include <QFile>
#include <QFileInfo>
#include <QMediaPlayer>
#include <QResource>
#include <QSound>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#ifdef Q_OS_LINUX
#include <sys/stat.h>
#endif

namespace {

const QStringList soundNames{"error", "warning", "normal", "share", "success", "data", "snapshot"};

QMediaPlayer *playerOf(const MySound &sound)
{
    return sound.findChild<QMediaPlayer *>();
}

// The local file the player of \a sound plays; empty without player.
QString playedFile(const MySound &sound)
{
    if (const QSound *wave = sound.findChild<QSound *>())
        return wave->fileName();
    const QMediaPlayer *player = playerOf(sound);
    return player ? player->media().request().url().toLocalFile() : QString();
}

QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A valid PCM WAV file of 100 ms silence, 8 kHz mono 16 bit.
QByteArray silentWave()
{
    const quint32 dataSize = 1600;
    QByteArray wave;
    QDataStream out(&wave, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out.writeRawData("RIFF", 4);
    out << quint32(36 + dataSize);
    out.writeRawData("WAVEfmt ", 8);
    out << quint32(16) << quint16(1) << quint16(1) << quint32(8000) << quint32(16000)
        << quint16(2) << quint16(16);
    out.writeRawData("data", 4);
    out << dataSize;
    wave.append(QByteArray(int(dataSize), '\0'));
    return wave;
}

#ifdef Q_OS_LINUX
// How many descriptors of this process refer to the file at \a path (by
// device and inode: the link text of a descriptor may name the file as it
// was when opened); -1 when \a path does not exist.
int openDescriptorsOf(const QString &path)
{
    struct stat wanted;
    if (::stat(QFile::encodeName(path).constData(), &wanted) != 0)
        return -1;
    int count = 0;
    const QString fds = QStringLiteral("/proc/self/fd/");
    const QDir::Filters filters = QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot;
    for (const QString &fd : QDir(fds).entryList(filters)) {
        struct stat found;
        if (::stat(QFile::encodeName(fds + fd).constData(), &found) == 0
            && found.st_dev == wanted.st_dev && found.st_ino == wanted.st_ino)
            ++count;
    }
    return count;
}
#endif

} // namespace

class tst_MySound : public QObject
{
    Q_OBJECT

private slots:
    void embeddedSoundsAreRegistered();
    void resourceSoundPlaysFromItsOwnTemporaryCopy();
    void copiesMakeCopiesOfTheirOwn();
    void localFilesAreCopiedToo();
    void waveFilesGoToQSound();
    void copiesAreClosedForThePlayer();
    void unreadableFilesGiveNoSound();
    void embeddedSoundsDecode();
};

void tst_MySound::embeddedSoundsAreRegistered()
{
    const QList<qint64> sizes{31346, 21733, 49247, 12538, 36096, 18808, 2925};
    QCOMPARE(QDir(":/Sounds").entryList(), QStringList({"data", "error", "normal", "share",
                                                        "snapshot", "success", "warning"}));
    for (int i = 0; i < soundNames.size(); ++i) {
        const QString path = ":/Sounds/" + soundNames[i];
        const QResource resource(path);
        QVERIFY2(resource.isValid(), qPrintable(path));
        QCOMPARE(resource.size(), sizes[i]);
        QCOMPARE(resource.compressionAlgorithm(), QResource::NoCompression);
        // Stored for the C locale and any country: found under every locale.
        QCOMPARE(QResource(path, QLocale(QLocale::German, QLocale::Germany)).size(), sizes[i]);
        const QByteArray content = contentOf(path);
        QCOMPARE(content.size(), sizes[i]);
        QVERIFY(content.startsWith("ID3"));
    }
}

void tst_MySound::resourceSoundPlaysFromItsOwnTemporaryCopy()
{
    QString copy;
    {
        MySound sound(":/Sounds/snapshot");
        QCOMPARE(sound.soundFile(), QStringLiteral(":/Sounds/snapshot"));
        QVERIFY(sound.parent() == nullptr);
        QVERIFY(playerOf(sound));
        copy = playedFile(sound);
        QVERIFY(!copy.isEmpty());
        QVERIFY(QFileInfo(copy).isAbsolute());
        QCOMPARE(contentOf(copy), contentOf(":/Sounds/snapshot"));
        sound.play();
        sound.stop();

        // A new file starts over: the old copy and player are gone.
        sound.setSoundFile(":/Sounds/data");
        QVERIFY(!QFile::exists(copy));
        QCOMPARE(sound.findChildren<QMediaPlayer *>().size(), 1);
        copy = playedFile(sound);
        QCOMPARE(contentOf(copy), contentOf(":/Sounds/data"));

        sound.deleteSound();
        QVERIFY(playerOf(sound) == nullptr);
        sound.play(); // nothing left to play
        QVERIFY(QFile::exists(copy));
    }
    QVERIFY(!QFile::exists(copy)); // removed with the MySound
}

void tst_MySound::copiesMakeCopiesOfTheirOwn()
{
    QObject owner;
    auto *original = new MySound(&owner);
    QCOMPARE(original->soundFile(), QString());
    QVERIFY(playerOf(*original) == nullptr);
    original->setSoundFile(":/Sounds/snapshot");

    MySound copy(*original);
    QVERIFY(copy.parent() == nullptr);
    QCOMPARE(copy.soundFile(), original->soundFile());
    QVERIFY(playedFile(copy) != playedFile(*original));
    QCOMPARE(contentOf(playedFile(copy)), contentOf(playedFile(*original)));

    const QString before = playedFile(copy);
    MySound &self = copy;
    copy = self; // assigning to itself changes nothing
    QCOMPARE(playedFile(copy), before);

    MySound assigned(":/Sounds/error");
    const QString replaced = playedFile(assigned);
    assigned = *original;
    QCOMPARE(assigned.soundFile(), QStringLiteral(":/Sounds/snapshot"));
    QVERIFY(!QFile::exists(replaced));
    QVERIFY(playedFile(assigned) != playedFile(*original));
    QVERIFY(playedFile(assigned) != playedFile(copy));

    delete original;
    QVERIFY(QFile::exists(playedFile(copy)));
}

void tst_MySound::localFilesAreCopiedToo()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("chime.mp3");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(contentOf(":/Sounds/share"));
    file.close();

    MySound sound(path);
    QCOMPARE(sound.soundFile(), path);
    QVERIFY(playedFile(sound) != path);
    QCOMPARE(contentOf(playedFile(sound)), contentOf(path));

    // The copy does not change when the original does.
    QVERIFY(QFile::remove(path));
    QCOMPARE(contentOf(playedFile(sound)), contentOf(":/Sounds/share"));
}

void tst_MySound::waveFilesGoToQSound()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("click.wav");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(silentWave());
    file.close();

    MySound sound(path);
    QVERIFY(sound.findChild<QSound *>());
    QVERIFY(playerOf(sound) == nullptr);
    QVERIFY(playedFile(sound) != path);
    QCOMPARE(contentOf(playedFile(sound)), silentWave());
    sound.play();
    sound.stop();
    sound.deleteSound();
    QVERIFY(sound.findChild<QSound *>() == nullptr);
}

void tst_MySound::copiesAreClosedForThePlayer()
{
#ifndef Q_OS_LINUX
    QSKIP("Lists the open files of the process through /proc/self/fd");
#else
    // The player opens the copy by its name; a handle the MySound still held
    // would keep it from doing so on Windows (a sharing violation).
    QTemporaryDir dir;
    const QString local = dir.filePath("chime.mp3");
    QFile file(local);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(contentOf(":/Sounds/share"));
    file.close();

    for (const QString &source : {QStringLiteral(":/Sounds/snapshot"), local}) {
        MySound sound(source);
        MySound copied(sound);
        for (MySound *each : {&sound, &copied}) {
            const QString copy = playedFile(*each);
            QVERIFY(!copy.isEmpty());
            each->deleteSound(); // the player's own handles go with it
            QVERIFY2(QFile::exists(copy), qPrintable(copy));
            QCOMPARE(openDescriptorsOf(copy), 0);
            QCOMPARE(contentOf(copy), contentOf(source));
        }
    }
#endif
}

void tst_MySound::unreadableFilesGiveNoSound()
{
    MessageCapture capture;
    QTemporaryDir dir;
    for (const QString &path : {QString(), dir.filePath("missing.mp3"), dir.path(),
                                QStringLiteral(":/Sounds/missing")}) {
        MySound sound(path);
        QCOMPARE(sound.soundFile(), path);
        QVERIFY(sound.findChildren<QObject *>().isEmpty());
        sound.play();
        sound.stop();
        MySound copy(sound);
        QCOMPARE(copy.soundFile(), path);
        QVERIFY(copy.findChildren<QObject *>().isEmpty());
    }
    QVERIFY2(capture.texts().isEmpty(), qPrintable(capture.texts().join('\n')));
}

void tst_MySound::embeddedSoundsDecode()
{
    {
        QMediaPlayer probe;
        if (!probe.isAvailable())
            QSKIP("No media player service on this machine (QtMultimedia's GStreamer plugin, "
                  "Debian package libqt5multimedia5-plugins, is missing)");
        if (QMediaPlayer::hasSupport("audio/mpeg") == QMultimedia::NotSupported)
            QSKIP("The media back end cannot decode MP3 here (GStreamer's mpg123 decoder, "
                  "Debian package gstreamer1.0-plugins-good, is missing)");
    }
    for (const QString &name : soundNames) {
        MySound sound(":/Sounds/" + name);
        QMediaPlayer *player = playerOf(sound);
        QVERIFY(player);
        QTRY_VERIFY2_WITH_TIMEOUT(player->mediaStatus() == QMediaPlayer::LoadedMedia
                                      && player->duration() > 0,
                                  qPrintable(QStringLiteral("%1: status %2, duration %3, error %4")
                                                 .arg(name)
                                                 .arg(player->mediaStatus())
                                                 .arg(player->duration())
                                                 .arg(player->errorString())),
                                  10000);
    }
}

QTEST_MAIN(tst_MySound)
#include "tst_mysound.moc"
