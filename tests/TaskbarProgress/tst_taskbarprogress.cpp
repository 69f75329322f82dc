// TaskbarProgress: the numbers and the percentages it sends, recorded by a
// scripted taskbar (the worked examples, the extreme ranges, the empty
// range, no widget, a dialog's child), and the real launcher signals on the
// desktop session's D-Bus bus as a listener on a connection of its own
// receives them.

#include <TaskbarProgress/taskbarprogress.h>

#include "Platform/serviceoverride.h"
#include "Platform/taskbar.h"

#include <QDBusConnection>
#include <QDialog>
#include <QLineEdit>
#include <QMetaMethod>
#include <QtTest>

#include <climits>

namespace {

struct Call
{
    bool state;             // SetProgressState, else SetProgressValue
    quintptr window;
    quint64 completed;      // value calls
    quint64 total;
    bool visible;           // state calls
};

class ScriptedTaskbar : public Platform::Taskbar
{
public:
    bool available = true;
    int opened = 0;
    int closed = 0;
    std::string applicationId;
    QVector<Call> calls;

    std::unique_ptr<Platform::TaskbarSession> open(const std::string &id) override
    {
        ++opened;
        applicationId = id;
        return std::make_unique<Session>(this);
    }

    QList<quint64> percentages() const
    {
        QList<quint64> sent;
        for (const Call &call : calls) {
            if (!call.state && call.total == 100)
                sent << call.completed;
        }
        return sent;
    }

private:
    class Session : public Platform::TaskbarSession
    {
    public:
        explicit Session(ScriptedTaskbar *owner) : m_owner(owner) {}
        ~Session() override { ++m_owner->closed; }
        bool isAvailable() const override { return m_owner->available; }
        bool setProgressValue(Platform::NativeWindow window, std::uint64_t completed,
                              std::uint64_t total) override
        {
            m_owner->calls.append({false, window, completed, total, false});
            return true;
        }
        bool setProgressState(Platform::NativeWindow window, bool visible) override
        {
            m_owner->calls.append({true, window, 0, 0, visible});
            return true;
        }
        void *nativeInterface() const override { return nullptr; }

    private:
        ScriptedTaskbar *m_owner;
    };
};

// Runs "minimum=N;maximum=N;value=N;..." on \a progress.
void play(TaskbarProgress *progress, const QString &script)
{
    for (const QString &step : script.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString name = step.section(QLatin1Char('='), 0, 0);
        const int number = step.section(QLatin1Char('='), 1).toInt();
        if (name == QLatin1String("minimum"))
            progress->setMinimum(number);
        else if (name == QLatin1String("maximum"))
            progress->setMaximum(number);
        else if (name == QLatin1String("value"))
            progress->setValue(number);
        else
            QFAIL(qPrintable(step));
    }
}

// Records the updates of one application (other programs may share the
// bus).
class LauncherListener : public QObject
{
    Q_OBJECT
public:
    explicit LauncherListener(const QString &uri) : m_uri(uri) {}
    QList<QVariantMap> updates;
public slots:
    void update(const QString &uri, const QVariantMap &properties)
    {
        if (uri == m_uri)
            updates.append(properties);
    }

private:
    QString m_uri;
};

} // namespace

class TestTaskbarProgress : public QObject
{
    Q_OBJECT

private slots:
    void updates_data();
    void updates();
    void showAndHide();
    void withoutWidgetOrTaskbar();
    void reportsOnTheTopLevelWindow();
    void interface();
    void launcherSignals();
    void withoutSessionBus();
};

void TestTaskbarProgress::updates_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<QList<int>>("numbers"); // minimum, maximum, value
    QTest::addColumn<QList<quint64>>("sent");

    using Sent = QList<quint64>;
    QTest::newRow("defaults") << "" << QList<int>{0, 100, 0} << Sent{};
    QTest::newRow("maximum below minimum") << "maximum=-5" << QList<int>{-5, 0, 0} << Sent{100};
    QTest::newRow("minimum above maximum") << "value=30;minimum=200"
                                           << QList<int>{100, 200, 100} << Sent{30, 0};
    QTest::newRow("above the range") << "value=150" << QList<int>{0, 100, 100} << Sent{100};
    QTest::newRow("below the range") << "value=50;value=-3" << QList<int>{0, 100, 0}
                                     << Sent{50, 0};
    QTest::newRow("thirds truncated") << "maximum=3;value=1;value=2" << QList<int>{0, 3, 2}
                                      << Sent{0, 33, 66};
    QTest::newRow("equal value once") << "value=40;value=40;minimum=0;maximum=100"
                                      << QList<int>{0, 100, 40} << Sent{40};
    QTest::newRow("clamped value set again")
        << "value=150;value=150" << QList<int>{0, 100, 100} << Sent{100, 100};
    QTest::newRow("minimum raises the value") << "minimum=50;value=75"
                                              << QList<int>{50, 100, 75} << Sent{0, 50};
    QTest::newRow("empty range sends 0") << "value=100;maximum=0" << QList<int>{0, 0, 0}
                                         << Sent{100, 0};
    QTest::newRow("empty range at the top") << "minimum=7;maximum=7;value=9"
                                            << QList<int>{7, 7, 7} << Sent{0, 0, 0};
    QTest::newRow("widest range")
        << "minimum=-2147483648;maximum=2147483647;value=0;value=2147483647;value=-2147483648"
        << QList<int>{INT_MIN, INT_MAX, INT_MIN} << Sent{99, 50, 100, 0};
    QTest::newRow("widest range, one step short")
        << "minimum=-2147483648;maximum=2147483647;value=2147483646"
        << QList<int>{INT_MIN, INT_MAX, INT_MAX - 1} << Sent{99, 50, 99};
    QTest::newRow("swapped extremes") << "minimum=2147483647;maximum=-2147483648"
                                      << QList<int>{INT_MIN, 100, 100} << Sent{0, 100};
}

void TestTaskbarProgress::updates()
{
    QFETCH(QString, script);
    QFETCH(QList<int>, numbers);
    QFETCH(QList<quint64>, sent);
    ScriptedTaskbar taskbar;
    Platform::ScopedOverride<Platform::Taskbar> scope(taskbar);
    QWidget window;
    TaskbarProgress progress(&window);
    play(&progress, script);
    QCOMPARE((QList<int>{progress.minimum(), progress.maximum(), progress.value()}), numbers);
    QCOMPARE(taskbar.percentages(), sent);
    QCOMPARE(taskbar.calls.size(), sent.size());
    for (const Call &call : taskbar.calls)
        QCOMPARE(call.window, quintptr(window.winId()));
}

void TestTaskbarProgress::showAndHide()
{
    ScriptedTaskbar taskbar;
    Platform::ScopedOverride<Platform::Taskbar> scope(taskbar);
    QWidget window;
    TaskbarProgress progress(&window);
    progress.show();
    progress.hide();
    progress.setValue(10); // sent while hidden
    progress.setVisible(true);
    progress.show(); // no state is remembered: sent again
    QCOMPARE(taskbar.calls.size(), 5);
    const bool states[] = {true, true, false, true, true};
    const bool visible[] = {true, false, false, true, true};
    for (int i = 0; i < 5; ++i) {
        QCOMPARE(taskbar.calls.at(i).state, states[i]);
        if (states[i])
            QCOMPARE(taskbar.calls.at(i).visible, visible[i]);
    }
}

void TestTaskbarProgress::withoutWidgetOrTaskbar()
{
    ScriptedTaskbar taskbar;
    Platform::ScopedOverride<Platform::Taskbar> scope(taskbar);
    {
        TaskbarProgress progress(nullptr);
        QCOMPARE(progress.parent(), nullptr);
        play(&progress, QStringLiteral("maximum=-5;value=150"));
        progress.show();
        QCOMPARE((QList<int>{progress.minimum(), progress.maximum(), progress.value()}),
                 (QList<int>{-5, 0, 0}));
        QCOMPARE(progress.getTaskbarPtr(), nullptr);
    }
    taskbar.available = false;
    {
        QWidget window;
        TaskbarProgress progress(&window);
        QCOMPARE(progress.parent(), &window);
        play(&progress, QStringLiteral("value=150"));
        progress.hide();
        QCOMPARE(progress.value(), 100);
    }
    QVERIFY(taskbar.calls.isEmpty());
    // The taskbar is opened and closed once per object, widget or not.
    QCOMPARE(taskbar.opened, 2);
    QCOMPARE(taskbar.closed, 2);
}

void TestTaskbarProgress::reportsOnTheTopLevelWindow()
{
    ScriptedTaskbar taskbar;
    Platform::ScopedOverride<Platform::Taskbar> scope(taskbar);
    QDialog dialog;
    auto *field = new QLineEdit(&dialog);
    auto *progress = new TaskbarProgress(field);
    progress->setValue(25);
    QCOMPARE(taskbar.calls.size(), 1);
    QCOMPARE(taskbar.calls.at(0).window, quintptr(dialog.winId()));
    QVERIFY(!field->testAttribute(Qt::WA_NativeWindow));
    delete field; // takes the progress along
    QCOMPARE(taskbar.closed, 1);
}

void TestTaskbarProgress::interface()
{
    // Callers connect to the slots by signature.
    const QMetaObject &meta = TaskbarProgress::staticMetaObject;
    QStringList signatures;
    for (int i = meta.methodOffset(); i < meta.methodCount(); ++i) {
        const QMetaMethod method = meta.method(i);
        QCOMPARE(method.methodType(), QMetaMethod::Slot);
        QCOMPARE(method.access(), QMetaMethod::Public);
        signatures << QString::fromLatin1(method.methodSignature());
    }
    QCOMPARE(signatures, (QStringList{"setMinimum(int)", "setMaximum(int)", "setValue(int)",
                                 "setVisible(bool)", "show()", "hide()"}));
    QCOMPARE(meta.propertyCount(), meta.propertyOffset());
}

void TestTaskbarProgress::launcherSignals()
{
    if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        QSKIP("needs the desktop session's D-Bus session bus");
    QDBusConnection bus =
        QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("listener"));
    QVERIFY(bus.isConnected());
    LauncherListener listener(QStringLiteral("application://org.example.LensDesigner.desktop"));
    QVERIFY(bus.connect(QString(), QString(), QStringLiteral("com.canonical.Unity.LauncherEntry"),
                        QStringLiteral("Update"), &listener,
                        SLOT(update(QString, QVariantMap))));

    QGuiApplication::setDesktopFileName(QStringLiteral("org.example.LensDesigner.desktop"));
    QWidget window;
    {
        TaskbarProgress progress(&window);
        progress.show();
        progress.setMaximum(3);
        progress.setValue(1);
        progress.setValue(1); // equal: nothing
        progress.setValue(2);
        progress.setMaximum(3); // equal: nothing
        progress.setValue(7);   // clamped to 3
        progress.hide();
    }
    const QList<QVariantMap> expected = {
        {{"progress-visible", true}}, {{"progress", 0.0}}, {{"progress", 0.33}},
        {{"progress", 0.66}},         {{"progress", 1.0}}, {{"progress-visible", false}},
    };
    QTRY_COMPARE_WITH_TIMEOUT(listener.updates.size(), expected.size(), 10000);
    QTest::qWait(300); // nothing else arrives
    QCOMPARE(listener.updates.size(), expected.size());
    QCOMPARE(listener.updates, expected);
    QDBusConnection::disconnectFromBus(QStringLiteral("listener"));
}

void TestTaskbarProgress::withoutSessionBus()
{
    const QByteArray address = qgetenv("DBUS_SESSION_BUS_ADDRESS");
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/bus");
    qputenv("XDG_RUNTIME_DIR", "/nonexistent");
    QWidget window;
    {
        TaskbarProgress progress(&window);
        play(&progress, QStringLiteral("minimum=10;value=5;maximum=20"));
        progress.show();
        QCOMPARE((QList<int>{progress.minimum(), progress.maximum(), progress.value()}),
                 (QList<int>{10, 20, 10}));
        QCOMPARE(progress.getTaskbarPtr(), nullptr);
    }
    qputenv("DBUS_SESSION_BUS_ADDRESS", address);
    qputenv("XDG_RUNTIME_DIR", runtime);
}

QTEST_MAIN(TestTaskbarProgress)
#include "tst_taskbarprogress.moc"
