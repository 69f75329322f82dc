// PhononVideoWidget playing the test clip (1920x1080, 3 s) through GStreamer.
// A dock reserves 40 pixels of the 1280x1024 screen: 1280x984 are available.

#include "testsupport/messagecapture.h"
#include "x11peer.h"

#include <Widgets/phononvideowidget.h>

#include <phonon/mediaobject.h>

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

#include <limits>

enum Outcome { Fails, PlaysToItsEnd };
Q_DECLARE_METATYPE(Outcome)

class tst_PhononVideoWidget : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (m_clip.isEmpty())
            QSKIP("no test clip (ffmpeg was missing at build time)");
        QVERIFY(QFile::exists(m_clip));
        QVERIFY(m_x11.isConnected());
        m_x11.reserveBottomStrip(40);
        QScreen *screen = QGuiApplication::primaryScreen();
        QCOMPARE(screen->geometry().size(), QSize(1280, 1024));
        QTRY_COMPARE(screen->availableGeometry().size(), QSize(1280, 984));
    }

    void formatTime_data()
    {
        QTest::addColumn<qint64>("milliseconds");
        QTest::addColumn<QString>("text");

        QTest::newRow("negative") << qint64(-1) << "00:00";
        QTest::newRow("most negative") << std::numeric_limits<qint64>::min() << "00:00";
        QTest::newRow("zero") << qint64(0) << "00:00";
        QTest::newRow("just below a second") << qint64(999) << "00:00";
        QTest::newRow("61999 ms") << qint64(61999) << "01:01";
        QTest::newRow("one hour") << qint64(3600000) << "60:00";
        QTest::newRow("three-digit minutes") << qint64(7507000) << "125:07";
        QTest::newRow("largest") << std::numeric_limits<qint64>::max() << "153722867280912:55";
    }

    void formatTime()
    {
        QFETCH(qint64, milliseconds);
        QFETCH(QString, text);
        PhononVideoWidget widget;
        QCOMPARE(widget.formatTime(milliseconds), text);
    }

    void playsAndFitsTheScreen()
    {
        PhononVideoWidget widget;
        const Parts parts = partsOf(widget);
        QCOMPARE(parts.time->text(), QStringLiteral("00:00 / 00:00"));
        widget.show();
        QVERIFY(QTest::qWaitForWindowExposed(&widget));
        QList<qint64> ticks;
        connect(widget.mediaObject(), &Phonon::MediaObject::tick, this, [&](qint64 time) { ticks << time; });

        // Loading does not play.
        widget.load(m_clip, true);
        QTest::qWait(500);
        QVERIFY(widget.mediaObject()->state() != Phonon::PlayingState);
        QCOMPARE(parts.playPause->text(), QStringLiteral("Play"));
        QVERIFY(!parts.stop->isEnabled());
        QCOMPARE(widget.nativeVideoSize(), QSize(-1, -1));

        QTest::mouseClick(parts.playPause, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(parts.playPause->text(), QStringLiteral("Pause"), 15000);
        QCOMPARE(widget.mediaObject()->state(), Phonon::PlayingState);
        QVERIFY(parts.stop->isEnabled());

        // The native size comes from the stream; fitted into 1280x944 it is
        // 1280x720, plus the control row.
        QCOMPARE(widget.nativeVideoSize(), QSize(1920, 1080));
        QCOMPARE(widget.maximumSize(), QSize(1280, 760));
        QTRY_COMPARE(widget.size(), QSize(1280, 760));

        // Ticks every 500 ms; the display follows the clip's time and shows its
        // length.
        QTRY_COMPARE_WITH_TIMEOUT(parts.time->text(), QStringLiteral("00:01 / 00:03"), 5000);
        QVERIFY(ticks.size() >= 2);
        QVERIFY(std::is_sorted(ticks.begin(), ticks.end()));

        // The picture is drawn: the clip's colour bars, not a black area.
        auto *video = widget.findChild<QWidget *>(QStringLiteral("videoWidget"));
        QVERIFY(video);
        const QImage frame = video->grab().toImage();
        QSet<QRgb> colours;
        for (int y = 0; y < frame.height(); y += 8)
            for (int x = 0; x < frame.width(); x += 8)
                colours.insert(frame.pixel(x, y) & 0xf0f0f0);
        QVERIFY2(colours.size() >= 6, qPrintable(QString::number(colours.size())));

        QTest::mouseClick(parts.playPause, Qt::LeftButton);
        QTRY_COMPARE(parts.playPause->text(), QStringLiteral("Play"));
        QCOMPARE(widget.mediaObject()->state(), Phonon::PausedState);
        QVERIFY(parts.stop->isEnabled());
        const QString pausedAt = parts.time->text();
        QTest::qWait(700);
        QCOMPARE(parts.time->text(), pausedAt);

        QTest::mouseClick(parts.playPause, Qt::LeftButton);
        QTRY_COMPARE(parts.playPause->text(), QStringLiteral("Pause"));
        QCOMPARE(widget.mediaObject()->state(), Phonon::PlayingState);

        QTest::mouseClick(parts.stop, Qt::LeftButton);
        QTRY_COMPARE(parts.playPause->text(), QStringLiteral("Play"));
        QCOMPARE(widget.mediaObject()->state(), Phonon::StoppedState);
        QVERIFY(!parts.stop->isEnabled());
        // The native size is kept until the next load.
        QCOMPARE(widget.nativeVideoSize(), QSize(1920, 1080));
    }

    void badFiles_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content"); // null: the file does not exist
        QTest::addColumn<Outcome>("outcome");

        QFile clip(m_clip);
        QVERIFY(clip.open(QIODevice::ReadOnly));
        const QByteArray clipBytes = clip.readAll();

        QTest::newRow("missing") << "missing.mp4" << QByteArray() << Fails;
        QTest::newRow("empty") << "empty.mp4" << QByteArray("") << Fails;
        QTest::newRow("not media") << "notes.mp4" << QByteArray("lens data, not a video\n") << Fails;
        // Cut after the header: plays what is there and stops at its end.
        QTest::newRow("cut in the middle") << "half.mp4" << clipBytes.left(clipBytes.size() / 2) << PlaysToItsEnd;
    }

    void badFiles()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(Outcome, outcome);

        const QString path = m_files.filePath(name);
        if (!content.isNull()) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(content);
        }

        PhononVideoWidget widget;
        const Parts parts = partsOf(widget);
        widget.show();
        MessageCapture capture;
        const auto errorLines = [&] {
            return capture.texts().filter(QRegularExpression(QStringLiteral("^Phonon-Fehler: \".+\"$")));
        };
        QSignalSpy finished(widget.mediaObject(), &Phonon::MediaObject::finished);
        widget.load(path, false);
        widget.play();
        if (outcome == Fails) {
            QTRY_COMPARE_WITH_TIMEOUT(errorLines().size(), 1, 10000);
        } else {
            QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 10000);
            QVERIFY(errorLines().isEmpty());
        }
        const int errorsBefore = errorLines().size();
        QCOMPARE(parts.playPause->text(), QStringLiteral("Play"));
        QVERIFY(!parts.stop->isEnabled());

        // The widget goes on with the next file.
        widget.load(m_clip, false);
        widget.play();
        QTRY_COMPARE_WITH_TIMEOUT(parts.playPause->text(), QStringLiteral("Pause"), 15000);
        QCOMPARE(widget.nativeVideoSize(), QSize(1920, 1080));
        widget.stop();
        QTRY_VERIFY(!parts.stop->isEnabled());
        QCOMPARE(errorLines().size(), errorsBefore);
    }

private:
    struct Parts
    {
        QPushButton *playPause;
        QPushButton *stop;
        QLabel *time;
    };
    static Parts partsOf(PhononVideoWidget &widget)
    {
        return {widget.findChild<QPushButton *>("playPauseButton"),
                widget.findChild<QPushButton *>("stopButton"),
                widget.findChild<QLabel *>("timeLabel")};
    }

    X11Peer m_x11;
    QTemporaryDir m_files;
    const QString m_clip = QStringLiteral(TEST_CLIP);
};

QTEST_MAIN(tst_PhononVideoWidget)
#include "tst_phononvideowidget.moc"
