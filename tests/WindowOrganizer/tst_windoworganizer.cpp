// WindowOrganizer between two real processes on a real desktop (Xvfb with
// openbox): the peer (organizer_peer) registers as "PeerTool" and tags its
// window; this process builds the menu, sees the peer's window with its
// title, reads its order number, finds it by executable, raises it (the
// window manager's active window changes) and starts registered tools that
// report the "PATH" they were given. The settings store is the real
// per-user store below a temporary XDG_CONFIG_HOME.

#include <WindowOrganizer/windoworganizer.h>

#include "Platform/processlauncher.h"
#include "Platform/serviceoverride.h"
#include "Platform/windowmanager.h"
#include "launchreport.h"

#include <QApplication>
#include <QFileInfo>
#include <QInputDialog>
#include <QMenu>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <xcb/xcb.h>

#include <memory>

namespace {

constexpr int StopNumber = -424242;
const QString Organization = QStringLiteral("Optics Test");
const QString Family = QStringLiteral("Family");
const QString PeerTitle = QString::fromUtf8("Peer \u00c4 window");

QString peerProgram()
{
    return QFileInfo(QStringLiteral(ORGANIZER_PEER)).canonicalFilePath();
}

// The window manager's active window (_NET_ACTIVE_WINDOW of the root).
WId activeWindow()
{
    xcb_connection_t *connection = xcb_connect(nullptr, nullptr);
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    xcb_intern_atom_reply_t *atom = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, 18, "_NET_ACTIVE_WINDOW"), nullptr);
    xcb_get_property_reply_t *reply = xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, root, atom->atom, XCB_ATOM_WINDOW, 0, 1), nullptr);
    WId active = 0;
    if (reply && xcb_get_property_value_length(reply) == 4)
        active = *static_cast<xcb_window_t *>(xcb_get_property_value(reply));
    std::free(reply);
    std::free(atom);
    xcb_disconnect(connection);
    return active;
}

// The menu as text: entries by title ("-" for separators), submenus in
// brackets, "(x)" and "( )" for checked and unchecked entries.
QString describe(const QMenu *menu)
{
    QStringList parts;
    for (const QAction *action : menu->actions()) {
        if (action->isSeparator())
            parts << "-";
        else if (action->menu())
            parts << action->text() + "[" + describe(action->menu()) + "]";
        else
            parts << action->text() + (action->isCheckable() ? (action->isChecked() ? "(x)" : "( )") : "");
    }
    return parts.join("|");
}

QAction *find(const QMenu *menu, const QString &path)
{
    const QStringList steps = path.split('/');
    for (QAction *action : menu->actions()) {
        if (action->text() != steps.first())
            continue;
        if (steps.size() == 1)
            return action;
        return action->menu() ? find(action->menu(), steps.mid(1).join('/')) : nullptr;
    }
    return nullptr;
}

bool readReport(const QString &path, launchreport::Report *report)
{
    std::string data;
    const std::string file = QFile::encodeName(path).toStdString();
    for (int i = 0; i < 2000; ++i) {
        if (launchreport::readFile(file, &data))
            return launchreport::parse(data, report);
        QTest::qWait(10);
    }
    return false;
}

QString variable(const launchreport::Report &report, const QString &name)
{
    for (const launchreport::Text &entry : report.environment) {
        const QString text = QString::fromStdString(entry);
        if (text.startsWith(name + "="))
            return text.mid(name.size() + 1);
    }
    return QString();
}

QStringList arguments(const launchreport::Report &report)
{
    QStringList list;
    for (const launchreport::Text &text : report.runtimeArguments)
        list << QString::fromStdString(text);
    return list;
}

class Emitter : public QObject
{
    Q_OBJECT
signals:
    void fired();
};

class CountingWindows : public Platform::WindowManager
{
public:
    bool isAvailable() const override { return true; }
    bool tagWindow(Window, std::uint32_t) override { return true; }
    std::uint32_t toolTag(Window) override { return 0; }
    std::vector<TaggedWindow> windowsWithTag(std::uint32_t) override { return {}; }
    bool setOrderNumber(Window, int) override { return true; }
    int orderNumber(Window) override { return 0; }
    Window firstWindowOfExecutable(const NativePath &) override { return 0; }
    bool bringToFront(Window) override { return ++raised, true; }
    int raised = 0;
};

class RecordingLauncher : public Platform::ProcessLauncher
{
public:
    bool startDetached(const Platform::DetachedStart &start) override
    {
        programs << QString::fromStdU16String(start.program);
        return false;
    }
    QStringList programs;
};

} // namespace

class tst_WindowOrganizer : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void metaObjectHasTheSixSlotsInOrder();
    void registrationWritesThePerUserStore();
    void menuListsThePeerWindowWithItsTitle();
    void orderNumbersAcrossProcesses();
    void executableSearchFindsThePeer();
    void windowEntryAndToolManagerRaiseThePeer();
    void startedToolsGetTheRegisteredPath();
    void closedPeerLeavesTheMenuAndTheManagerIsStarted();
    void menuFollowsTheStore_data();
    void menuFollowsTheStore();
    void changeWindowTitle_data();
    void changeWindowTitle();
    void slotsIgnoreSendersOfTheWrongKind();
    void cleanupTestCase();

private:
    QTemporaryDir m_files;
    QWidget m_window;
    WindowOrganizer *m_organizer = nullptr;
    QMenu *m_menu = nullptr;
    QProcess m_peer;
    WId m_peerWindow = 0;
    QString m_peerPath;
};

void tst_WindowOrganizer::initTestCase()
{
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
    m_peerPath = "/opt/peer tools/bin:" + qEnvironmentVariable("PATH");
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("PATH", m_peerPath);
    m_peer.setProcessEnvironment(environment);
    const QString idFile = m_files.filePath("peer-id");
    m_peer.start(peerProgram(), {"register", Organization, Family, "PeerTool", PeerTitle, idFile});
    QVERIFY(m_peer.waitForStarted());

    m_window.setWindowTitle("Own window");
    m_window.resize(300, 200);
    m_organizer = new WindowOrganizer(Organization, Family, "Tester", &m_window);
    m_menu = new QMenu(&m_window);
    connect(m_menu, &QMenu::aboutToShow, m_organizer, &WindowOrganizer::updateMenu);
    m_window.show();
    QVERIFY(QTest::qWaitForWindowActive(&m_window));

    std::string id;
    QTRY_VERIFY_WITH_TIMEOUT(launchreport::readFile(QFile::encodeName(idFile).toStdString(), &id), 20000);
    m_peerWindow = WId(std::stoull(id));
    QTRY_VERIFY_WITH_TIMEOUT(WindowOrganizer::findAllWindowsWithUserData("PeerTool").contains(m_peerWindow), 20000);
}

void tst_WindowOrganizer::metaObjectHasTheSixSlotsInOrder()
{
    const QMetaObject &meta = WindowOrganizer::staticMetaObject;
    QCOMPARE(meta.className(), "WindowOrganizer");
    QCOMPARE(meta.propertyCount(), meta.propertyOffset());
    QStringList members;
    for (int i = meta.methodOffset(); i < meta.methodCount(); ++i) {
        const QMetaMethod method = meta.method(i);
        QCOMPARE(method.methodType(), QMetaMethod::Slot);
        members << QString::fromLatin1(method.methodSignature())
                     + (method.access() == QMetaMethod::Public ? " public" : " private");
    }
    QCOMPARE(members, QStringList({"setAllowChangeWindowTitle(bool) public", "updateMenu() public",
                                 "startTool() public", "bringToFront() private",
                                 "changeWindowTitle() private", "showManager() private"}));
    QCOMPARE(meta.method(meta.methodOffset()).parameterNames(), QList<QByteArray>({"allow"}));
}

void tst_WindowOrganizer::registrationWritesThePerUserStore()
{
    const QString file = qEnvironmentVariable("XDG_CONFIG_HOME") + "/" + Organization + "/" + Family + ".conf";
    QVERIFY(QFileInfo::exists(file));
    QSettings store(file, QSettings::IniFormat);
    QCOMPARE(store.value("PeerTool/.").toString(), peerProgram());
    QCOMPARE(store.value("PeerTool/Environment/Path").toString(), m_peerPath);
    QCOMPARE(store.value("Tester/.").toString(), QCoreApplication::applicationFilePath());
    QCOMPARE(store.value("Tester/Environment/Path").toString(), qEnvironmentVariable("PATH"));

    QCOMPARE(WindowOrganizer::getAllTools(Organization, Family), QStringList({"PeerTool", "Tester"}));
    QCOMPARE(WindowOrganizer::getEnvironmentPathForTool(Organization, Family, "PeerTool"), m_peerPath);
    QCOMPARE(m_organizer->getEnvironmentPathForTool("Nobody"), QString());

    // No tool name: nothing registered, the window still tagged (with the
    // tag of the empty name).
    QWidget anonymous;
    anonymous.show();
    QVERIFY(QTest::qWaitForWindowExposed(&anonymous));
    WindowOrganizer silent(Organization, Family, QString(), &anonymous);
    QCOMPARE(silent.getAllTools(), QStringList({"PeerTool", "Tester"}));
    QCOMPARE(Platform::WindowManager::instance().toolTag(anonymous.winId()), qHash(QString()));
}

void tst_WindowOrganizer::menuListsThePeerWindowWithItsTitle()
{
    emit m_menu->aboutToShow();
    QCOMPARE(describe(m_menu), "PeerTool[New|-|" + PeerTitle + "( )]|Tester[New|-|Own window(x)]|-|"
                                   "Change window title...");
    const QAction *start = find(m_menu, "PeerTool/New");
    QCOMPARE(start->property("exepath").toString(), peerProgram());
    QCOMPARE(start->property("environmentpath").toString(), m_peerPath);
    QCOMPARE(start->statusTip(), peerProgram());
    QCOMPARE(find(m_menu, "PeerTool/" + PeerTitle)->property("winid").value<WId>(), m_peerWindow);
    QCOMPARE(find(m_menu, "Tester/Own window")->property("winid").value<WId>(), m_window.winId());

    // Rebuilding replaces the entries and the submenus.
    emit m_menu->aboutToShow();
    QCOMPARE(m_menu->findChildren<QMenu *>(QString(), Qt::FindDirectChildrenOnly).size(), 2);
}

void tst_WindowOrganizer::orderNumbersAcrossProcesses()
{
    QCOMPARE(WindowOrganizer::getOrderNumber(m_peerWindow), 3); // set by the peer
    QCOMPARE(WindowOrganizer::findMaximumOrderNummer("PeerTool", QString()), 3);
    QVERIFY(WindowOrganizer::setOrderNumber(m_peerWindow, 8));
    QCOMPARE(WindowOrganizer::findMaximumOrderNummer(qHash(QStringLiteral("PeerTool")), "ignored"), 8);

    QCOMPARE(WindowOrganizer::getOrderNumber(&m_window), 0);
    QVERIFY(WindowOrganizer::setOrderNumber(&m_window, -4));
    QCOMPARE(WindowOrganizer::getOrderNumber(&m_window), -4);
    QCOMPARE(WindowOrganizer::findMaximumOrderNummer("Tester", QString()), 0); // negatives never win
    QCOMPARE(WindowOrganizer::findMaximumOrderNummer("Nobody", QString()), 0);

    QVERIFY(!WindowOrganizer::setOrderNumber(static_cast<QWidget *>(nullptr), 1));
    QCOMPARE(WindowOrganizer::getOrderNumber(static_cast<QWidget *>(nullptr)), 0);
}

void tst_WindowOrganizer::executableSearchFindsThePeer()
{
    QCOMPARE(WindowOrganizer::findFirstWindowForExe(peerProgram()), m_peerWindow);
    const QString link = m_files.filePath("peer link");
    QVERIFY(QFile::link(peerProgram(), link));
    QCOMPARE(WindowOrganizer::findFirstWindowForExe(link), m_peerWindow);
    QCOMPARE(WindowOrganizer::findFirstWindowForExe(peerProgram().toUpper()), WId(0));
    QCOMPARE(WindowOrganizer::findFirstWindowForExe(QString()), WId(0));
    QCOMPARE(WindowOrganizer::findFirstWindowForExe(QCoreApplication::applicationFilePath()), m_window.winId());
}

void tst_WindowOrganizer::windowEntryAndToolManagerRaiseThePeer()
{
    emit m_menu->aboutToShow();
    find(m_menu, "PeerTool/" + PeerTitle)->toggle();
    QTRY_COMPARE_WITH_TIMEOUT(activeWindow(), m_peerWindow, 10000);

    m_window.activateWindow();
    QTRY_COMPARE_WITH_TIMEOUT(activeWindow(), m_window.winId(), 10000);
    {
        QSettings store(Organization, Family);
        store.setValue("Manager/.", peerProgram());
        store.setValue("Manager/Environment/Path", "/opt/manager/bin");
    }
    emit m_menu->aboutToShow();
    QVERIFY(describe(m_menu).startsWith("Tool manager|-|PeerTool["));
    find(m_menu, "Tool manager")->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(activeWindow(), m_peerWindow, 10000);
}

void tst_WindowOrganizer::startedToolsGetTheRegisteredPath()
{
    const QString first = m_files.filePath("new-report");
    qputenv(launchreport::ReportVariable, QFile::encodeName(first));
    emit m_menu->aboutToShow();
    find(m_menu, "PeerTool/New")->trigger();
    launchreport::Report report;
    QVERIFY(readReport(first, &report));
    QCOMPARE(arguments(report), QStringList{peerProgram()});
    QCOMPARE(variable(report, "PATH"), m_peerPath);
    QCOMPARE(variable(report, launchreport::ReportVariable), first); // the rest is inherited

    const QString second = m_files.filePath("static-report");
    qputenv(launchreport::ReportVariable, QFile::encodeName(second));
    const QStringList extra{"x y", QString::fromUtf8("\u00e4\"")};
    QVERIFY(WindowOrganizer::startTool(Organization, Family, "PeerTool", extra));
    QVERIFY(readReport(second, &report));
    QCOMPARE(arguments(report), QStringList{peerProgram()} + extra);
    QCOMPARE(variable(report, "PATH"), m_peerPath);

    QVERIFY(!WindowOrganizer::startTool(Organization, Family, "Nobody", {}));
    QVERIFY(!m_organizer->startTool("Manager/Environment", {})); // no "." there
}

void tst_WindowOrganizer::closedPeerLeavesTheMenuAndTheManagerIsStarted()
{
    QVERIFY(WindowOrganizer::setOrderNumber(m_peerWindow, StopNumber));
    QVERIFY(m_peer.waitForFinished(20000));
    QTRY_VERIFY_WITH_TIMEOUT(WindowOrganizer::findAllWindowsWithUserData("PeerTool").isEmpty(), 10000);
    emit m_menu->aboutToShow();
    QVERIFY(describe(m_menu).contains("|PeerTool[New]|"));

    // No window of the manager runs: it is started with its own PATH.
    const QString path = m_files.filePath("manager-report");
    qputenv(launchreport::ReportVariable, QFile::encodeName(path));
    find(m_menu, "Tool manager")->trigger();
    launchreport::Report report;
    QVERIFY(readReport(path, &report));
    QCOMPARE(arguments(report), QStringList{peerProgram()});
    QCOMPARE(variable(report, "PATH"), QStringLiteral("/opt/manager/bin"));

    // A later registration under the same name replaces the earlier one.
    WindowOrganizer again(Organization, Family, "PeerTool", nullptr);
    QCOMPARE(QSettings(Organization, Family).value("PeerTool/.").toString(),
             QCoreApplication::applicationFilePath());
}

void tst_WindowOrganizer::menuFollowsTheStore_data()
{
    QTest::addColumn<QVariantMap>("store");
    QTest::addColumn<bool>("parented");
    QTest::addColumn<bool>("allowTitle");
    QTest::addColumn<QString>("menu");

    const QVariantMap tools{{"A/.", "/bin/a"}, {"A/Environment/Path", "/pa"}, {"B/.", "/bin/b"}};
    QVariantMap managed = tools;
    managed.insert("Manager/.", "/bin/manager");
    QVariantMap odd = tools;
    odd.insert("C/Environment/Path", "/only/path"); // no "."
    odd.insert("D/E/.", "/nested");
    odd.insert("manager/.", "/lower");
    odd.insert("F/.", "");

    const QString a = "A[New|-|Own window(x)]";
    QTest::newRow("tools") << tools << true << true << a + "|B[New]|-|Change window title...";
    QTest::newRow("manager") << managed << true << true
                             << "Tool manager|-|" + a + "|B[New]|-|Change window title...";
    QTest::newRow("odd groups") << odd << true << true
                                << a + "|B[New]|C[New]|D[New]|F[New]|manager[New]|-|Change window title...";
    QTest::newRow("menu without a window") << tools << false << true << "A[New|-|Own window( )]|B[New]";
    QTest::newRow("title change not allowed") << tools << true << false << a + "|B[New]";
    QTest::newRow("empty store") << QVariantMap() << true << true << "-|Change window title...";
}

void tst_WindowOrganizer::menuFollowsTheStore()
{
    QFETCH(QVariantMap, store);
    QFETCH(bool, parented);
    QFETCH(bool, allowTitle);
    QFETCH(QString, menu);

    const QString application = QString("Menu %1").arg(QTest::currentDataTag());
    {
        QSettings settings(Organization, application);
        for (auto it = store.cbegin(); it != store.cend(); ++it)
            settings.setValue(it.key(), it.value());
    }
    // This window stands for an open window of the tool "A".
    QVERIFY(Platform::WindowManager::instance().tagWindow(m_window.winId(), qHash(QStringLiteral("A"))));

    WindowOrganizer organizer(Organization, application, QString(), nullptr);
    QCOMPARE(organizer.allowChangeWindowTitle(), true);
    organizer.setAllowChangeWindowTitle(allowTitle);
    QMenu shown(parented ? &m_window : nullptr);
    connect(&shown, &QMenu::aboutToShow, &organizer, &WindowOrganizer::updateMenu);
    emit shown.aboutToShow();
    QCOMPARE(describe(&shown), menu);
    for (const QString &tool : organizer.getAllTools()) {
        const QAction *start = find(&shown, tool + "/New");
        QCOMPARE(start->property("exepath").toString(), store.value(tool + "/.").toString());
        QCOMPARE(start->property("environmentpath").toString(),
                 store.value(tool + "/Environment/Path").toString());
    }
    QVERIFY(Platform::WindowManager::instance().tagWindow(m_window.winId(), qHash(QStringLiteral("Tester"))));
}

void tst_WindowOrganizer::changeWindowTitle_data()
{
    QTest::addColumn<bool>("confirm");
    QTest::addColumn<QString>("entered");
    QTest::addColumn<QString>("title");

    QTest::newRow("confirmed") << true << QString::fromUtf8("Renamed \u00e4") << QString::fromUtf8("Renamed \u00e4");
    QTest::newRow("cancelled") << false << "Ignored" << "Own window";
    QTest::newRow("confirmed empty") << true << "" << "Own window";
}

void tst_WindowOrganizer::changeWindowTitle()
{
    QFETCH(bool, confirm);
    QFETCH(QString, entered);
    QFETCH(QString, title);

    m_window.setWindowTitle("Own window");
    emit m_menu->aboutToShow();
    QString caption, label, initial;
    QTimer::singleShot(0, this, [&] {
        QInputDialog *dialog = nullptr;
        QTRY_VERIFY((dialog = qobject_cast<QInputDialog *>(QApplication::activeModalWidget())));
        caption = dialog->windowTitle();
        label = dialog->labelText();
        initial = dialog->textValue();
        QCOMPARE(dialog->parentWidget(), &m_window);
        dialog->setTextValue(entered);
        confirm ? dialog->accept() : dialog->reject();
    });
    find(m_menu, "Change window title...")->trigger();
    QCOMPARE(caption, QStringLiteral("Enter window title"));
    QCOMPARE(label, QStringLiteral("New title:"));
    QCOMPARE(initial, QStringLiteral("Own window"));
    QCOMPARE(m_window.windowTitle(), title);
    m_window.setWindowTitle("Own window");
}

void tst_WindowOrganizer::slotsIgnoreSendersOfTheWrongKind()
{
    CountingWindows windows;
    RecordingLauncher launcher;
    Platform::ScopedOverride<Platform::WindowManager> scriptedWindows(windows);
    Platform::ScopedOverride<Platform::ProcessLauncher> scriptedLauncher(launcher);

    Emitter plain;
    QAction loose(nullptr); // an action outside any menu
    QMenu orphan;           // a menu without a window
    QAction *inOrphan = orphan.addAction("entry");
    inOrphan->setProperty("winid", "not a window");
    for (const char *slot : {SLOT(updateMenu()), SLOT(startTool()), SLOT(bringToFront()),
                             SLOT(changeWindowTitle())}) {
        connect(&plain, SIGNAL(fired()), m_organizer, slot);
        connect(&loose, SIGNAL(triggered(bool)), m_organizer, slot);
        connect(inOrphan, SIGNAL(triggered(bool)), m_organizer, slot);
    }
    const QString before = describe(m_menu);
    emit plain.fired();
    loose.trigger();
    inOrphan->trigger();
    QVERIFY(QMetaObject::invokeMethod(m_organizer, "bringToFront")); // no sender at all
    QVERIFY(QMetaObject::invokeMethod(m_organizer, "updateMenu"));

    QCOMPARE(windows.raised, 0);
    QCOMPARE(QApplication::activeModalWidget(), static_cast<QWidget *>(nullptr));
    QCOMPARE(describe(m_menu), before);
    QCOMPARE(orphan.actions().size(), 1);
    // startTool() passes the (empty) program of such a sender on: it fails.
    QCOMPARE(launcher.programs, QStringList({"", "", ""}));
}

void tst_WindowOrganizer::cleanupTestCase()
{
    if (m_peer.state() != QProcess::NotRunning) {
        WindowOrganizer::setOrderNumber(m_peerWindow, StopNumber);
        if (!m_peer.waitForFinished(10000))
            m_peer.kill();
    }
}

int main(int argc, char **argv)
{
    // A real per-user store, in a home of its own.
    QTemporaryDir home;
    qputenv("HOME", QFile::encodeName(home.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath("config")));
    QApplication application(argc, argv);
    tst_WindowOrganizer test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_windoworganizer.moc"
