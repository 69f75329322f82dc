// TaskbarProgress: the calls a scripted taskbar records, and the real
// launcher signals as a D-Bus listener of its own receives them.

#include <TaskbarProgress/taskbarprogress.h>

#include "Platform/serviceoverride.h"
#include "Platform/taskbar.h"

#include <QDBusConnection>
#include <QDialog>
#include <QLineEdit>
#include <QtTest>

#include <climits>

namespace {

// Records every call as text: "33" for 33 of 100 on the window, "show" or
// "hide" for the progress state, "window?" for a call about another window.
struct ScriptedTaskbar : Platform::Taskbar
{
    bool available = true;
    quintptr window = 0;
    int opened = 0, closed = 0;
    QStringList calls;

    struct Session : Platform::TaskbarSession
    {
        ScriptedTaskbar *owner;
        explicit Session(ScriptedTaskbar *owner) : owner(owner) {}
        ~Session() override { ++owner->closed; }
        bool isAvailable() const override { return owner->available; }
        bool setProgressValue(Platform::NativeWindow window, std::uint64_t completed, std::uint64_t total) override
        {
            return record(window, total == 100 ? QString::number(completed) : "total?");
        }
        bool setProgressState(Platform::NativeWindow window, bool visible) override
        {
            return record(window, visible ? "show" : "hide");
        }
        bool record(Platform::NativeWindow window, const QString &call)
        {
            owner->calls << (window == owner->window ? call : QStringLiteral("window?"));
            return true;
        }
        void *nativeInterface() const override { return nullptr; }
    };
    std::unique_ptr<Platform::TaskbarSession> open(const std::string &) override
    {
        ++opened;
        return std::make_unique<Session>(this);
    }
};

// Runs "minimum=N;maximum=N;value=N;visible=0|1;show;hide" on \a progress and
// returns minimum, maximum and value.
QList<int> play(TaskbarProgress *progress, const QString &script)
{
    for (const QString &step : script.split(';', Qt::SkipEmptyParts)) {
        const QString name = step.section('=', 0, 0);
        const int number = step.section('=', 1).toInt();
        if (name == "minimum")
            progress->setMinimum(number);
        else if (name == "maximum")
            progress->setMaximum(number);
        else if (name == "value")
            progress->setValue(number);
        else if (name == "visible")
            progress->setVisible(number != 0);
        else
            QMetaObject::invokeMethod(progress, qPrintable(name));
    }
    return {progress->minimum(), progress->maximum(), progress->value()};
}

// Records the updates of one application (other programs may share the bus).
class LauncherListener : public QObject
{
    Q_OBJECT
public:
    QList<QVariantMap> updates;
public slots:
    void update(const QString &uri, const QVariantMap &properties)
    {
        if (uri == "application://org.example.LensDesigner.desktop")
            updates.append(properties);
    }
};

} // namespace

class TestTaskbarProgress : public QObject
{
    Q_OBJECT

private slots:
    void updates_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QList<int>>("numbers"); // minimum, maximum, value
        QTest::addColumn<QStringList>("calls");

        QTest::newRow("defaults") << "" << QList<int>{0, 100, 0} << QStringList{};
        QTest::newRow("maximum below minimum") << "maximum=-5" << QList<int>{-5, 0, 0} << QStringList{"100"};
        QTest::newRow("minimum above maximum") << "value=30;minimum=200" << QList<int>{100, 200, 100}
                                               << QStringList{"30", "0"};
        QTest::newRow("outside the range") << "value=150;value=-3" << QList<int>{0, 100, 0} << QStringList{"100", "0"};
        QTest::newRow("thirds truncated") << "maximum=3;value=1;value=2" << QList<int>{0, 3, 2}
                                          << QStringList{"0", "33", "66"};
        QTest::newRow("equal values do nothing") << "value=40;value=40;minimum=0;maximum=100"
                                                 << QList<int>{0, 100, 40} << QStringList{"40"};
        QTest::newRow("empty range sends 0") << "value=100;maximum=0;value=9" << QList<int>{0, 0, 0}
                                             << QStringList{"100", "0", "0"};
        QTest::newRow("widest range") << "minimum=-2147483648;maximum=2147483647;value=2147483646;value=2147483647"
                                      << QList<int>{INT_MIN, INT_MAX, INT_MAX} << QStringList{"99", "50", "99", "100"};
        QTest::newRow("swapped extremes") << "minimum=2147483647;maximum=-2147483648" << QList<int>{INT_MIN, 100, 100}
                                          << QStringList{"0", "100"};
        QTest::newRow("show and hide, values sent while hidden")
            << "show;hide;value=10;visible=0;visible=1" << QList<int>{0, 100, 10}
            << QStringList{"show", "hide", "10", "hide", "show"};
    }

    void updates()
    {
        QFETCH(QString, script);
        QFETCH(QList<int>, numbers);
        QFETCH(QStringList, calls);
        ScriptedTaskbar taskbar;
        Platform::ScopedOverride<Platform::Taskbar> scope(taskbar);
        QWidget window;
        taskbar.window = window.winId();
        TaskbarProgress progress(&window);
        QCOMPARE(play(&progress, script), numbers);
        QCOMPARE(taskbar.calls, calls);
    }

    // Nothing is sent without a widget or a taskbar; either way the session
    // opened is closed again. A widget inside a dialog reports on the dialog.
    void windows()
    {
        ScriptedTaskbar taskbar;
        Platform::ScopedOverride<Platform::Taskbar> scope(taskbar);
        {
            TaskbarProgress progress(nullptr);
            QCOMPARE(play(&progress, "maximum=-5;value=150;show"), (QList<int>{-5, 0, 0}));
            QCOMPARE(progress.getTaskbarPtr(), nullptr);
        }
        taskbar.available = false;
        {
            QWidget window;
            TaskbarProgress progress(&window);
            QCOMPARE(play(&progress, "value=150;hide"), (QList<int>{0, 100, 100}));
        }
        QVERIFY(taskbar.calls.isEmpty());
        QCOMPARE(taskbar.closed, taskbar.opened);

        taskbar.available = true;
        QDialog dialog;
        auto *field = new QLineEdit(&dialog);
        taskbar.window = dialog.winId();
        new TaskbarProgress(field);
        field->findChild<TaskbarProgress *>()->setValue(25);
        QCOMPARE(taskbar.calls, QStringList{"25"});
        QVERIFY(!field->testAttribute(Qt::WA_NativeWindow));
        delete field; // takes the progress along
        QCOMPARE(taskbar.closed, taskbar.opened);
    }

    void launcherSignals()
    {
        if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
            QSKIP("needs the desktop session's D-Bus session bus");
        QDBusConnection bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "listener");
        LauncherListener listener;
        QVERIFY(bus.connect(QString(), QString(), "com.canonical.Unity.LauncherEntry", "Update", &listener,
                            SLOT(update(QString, QVariantMap))));
        QGuiApplication::setDesktopFileName("org.example.LensDesigner.desktop");
        QWidget window;
        {
            TaskbarProgress progress(&window);
            play(&progress, "show;maximum=3;value=1;value=1;value=2;maximum=3;value=7;hide");
        }
        const QList<QVariantMap> expected = {
            {{"progress-visible", true}}, {{"progress", 0.0}}, {{"progress", 0.33}},
            {{"progress", 0.66}},         {{"progress", 1.0}}, {{"progress-visible", false}},
        };
        QTRY_COMPARE_WITH_TIMEOUT(listener.updates.size(), expected.size(), 10000);
        QTest::qWait(300); // nothing else arrives
        QCOMPARE(listener.updates, expected);
        QDBusConnection::disconnectFromBus("listener");
    }
};

QTEST_MAIN(TestTaskbarProgress)
#include "tst_taskbarprogress.moc"
