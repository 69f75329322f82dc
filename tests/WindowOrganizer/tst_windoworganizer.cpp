// WindowOrganizer between two real processes on Xvfb with openbox: the test
// peer shows a window of the tool "PeerTool"; this process lists, finds,
// raises and starts tools through the real per-user store.

#include <WindowOrganizer/windoworganizer.h>

#include "testpeer.h"
#include "testwindow.h"

#include <QApplication>
#include <QFileInfo>
#include <QInputDialog>
#include <QMenu>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

namespace {

const QString Organization = QStringLiteral("Optics Test");
const QString Family = QStringLiteral("Family");
const QString PeerTitle = QString::fromUtf8("Peer \u00c4 window");
const QString PeerProgram = QFileInfo(QStringLiteral(TEST_PEER)).canonicalFilePath();

// The menu as text: "-" for separators, submenus in brackets, "(x)" and
// "( )" after checked and unchecked entries.
QString describe(const QMenu *menu)
{
    QStringList parts;
    for (const QAction *action : menu->actions()) {
        const QString check = action->isCheckable() ? (action->isChecked() ? "(x)" : "( )") : "";
        parts << (action->isSeparator() ? "-"
                  : action->menu()      ? action->text() + "[" + describe(action->menu()) + "]"
                                        : action->text() + check);
    }
    return parts.join("|");
}

QAction *find(const QMenu *menu, const QString &path)
{
    const QString first = path.section('/', 0, 0), rest = path.section('/', 1);
    for (QAction *action : menu->actions()) {
        if (action->text() == first)
            return rest.isEmpty() ? action : action->menu() ? find(action->menu(), rest) : nullptr;
    }
    return nullptr;
}

// Starts a tool with a fresh report path and returns "arguments|PATH".
QString reportOf(const std::function<void()> &start, const QString &path)
{
    qputenv(testpeer::ReportVariable, QFile::encodeName(path));
    start();
    std::string data;
    testpeer::Report report;
    for (int i = 0; i < 2000 && !testpeer::readFile(path.toStdString(), &data); ++i)
        QTest::qWait(10);
    if (!testpeer::parse(data, &report))
        return QString();
    QStringList texts;
    for (const testpeer::Text &argument : report[testpeer::Arguments])
        texts << QString::fromStdString(argument);
    for (const testpeer::Text &entry : report[testpeer::Environment]) {
        if (entry.rfind("PATH=", 0) == 0)
            texts << QString::fromStdString(entry);
    }
    return texts.join('|');
}

} // namespace

class tst_WindowOrganizer : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
        QSettings(Organization, Family).setValue("PeerTool/.", PeerProgram);
        QSettings(Organization, Family).setValue("PeerTool/Environment/Path", m_peerPath);
        const QString idFile = m_files.filePath("peer-id");
        m_peer.start(PeerProgram, {"tagged", idFile, QString::number(qHash(QStringLiteral("PeerTool"))), PeerTitle});

        m_window.setWindowTitle("Own window");
        m_organizer = new WindowOrganizer(Organization, Family, "Tester", &m_window);
        m_menu = new QMenu(&m_window);
        connect(m_menu, &QMenu::aboutToShow, m_organizer, &WindowOrganizer::updateMenu);
        m_window.show();
        QVERIFY(QTest::qWaitForWindowActive(&m_window));

        std::string id;
        QTRY_VERIFY_WITH_TIMEOUT(testpeer::readFile(idFile.toStdString(), &id), 20000);
        m_peerWindow = WId(std::stoull(id));
        QTRY_VERIFY_WITH_TIMEOUT(WindowOrganizer::findAllWindowsWithUserData("PeerTool").contains(m_peerWindow), 20000);
    }

    void registrationWritesThePerUserStore()
    {
        QSettings store(qEnvironmentVariable("XDG_CONFIG_HOME") + "/" + Organization + "/" + Family + ".conf",
                        QSettings::IniFormat);
        QCOMPARE(store.value("Tester/.").toString(), QCoreApplication::applicationFilePath());
        QCOMPARE(store.value("Tester/Environment/Path").toString(), qEnvironmentVariable("PATH"));
        QCOMPARE(WindowOrganizer::getAllTools(Organization, Family), QStringList({"PeerTool", "Tester"}));
        QCOMPARE(WindowOrganizer::getEnvironmentPathForTool(Organization, Family, "PeerTool"), m_peerPath);
        QCOMPARE(m_organizer->getEnvironmentPathForTool("Nobody"), QString());

        // No tool name: nothing registered, the window still tagged.
        QWidget anonymous;
        WindowOrganizer silent(Organization, Family, QString(), &anonymous);
        QCOMPARE(silent.getAllTools(), QStringList({"PeerTool", "Tester"}));
        QCOMPARE(Platform::WindowManager::instance().toolTag(anonymous.winId()), qHash(QString()));
    }

    // The window functions on the peer's window; their platform rules (case,
    // links, order numbers of any size) are checked in tests/Platform.
    void menuListsThePeerWindowWithTitleAndOrderNumber()
    {
        emit m_menu->aboutToShow();
        QCOMPARE(describe(m_menu),
                 "PeerTool[New|-|" + PeerTitle + "( )]|Tester[New|-|Own window(x)]|-|Change window title...");
        const QAction *start = find(m_menu, "PeerTool/New");
        QCOMPARE(start->property("exepath").toString(), PeerProgram);
        QCOMPARE(start->property("environmentpath").toString(), m_peerPath);
        QCOMPARE(find(m_menu, "PeerTool/" + PeerTitle)->property("winid").value<WId>(), m_peerWindow);
        emit m_menu->aboutToShow(); // rebuilt, not added to
        QCOMPARE(m_menu->findChildren<QMenu *>(QString(), Qt::FindDirectChildrenOnly).size(), 2);

        QCOMPARE(WindowOrganizer::getOrderNumber(m_peerWindow), 5); // set by the peer
        QVERIFY(WindowOrganizer::setOrderNumber(m_peerWindow, 8));
        QCOMPARE(WindowOrganizer::findMaximumOrderNummer("PeerTool", QString()), 8);
        QVERIFY(WindowOrganizer::setOrderNumber(&m_window, -4));
        QCOMPARE(WindowOrganizer::findMaximumOrderNummer(qHash(QStringLiteral("Tester")), "x"), 0);
        QVERIFY(!WindowOrganizer::setOrderNumber(static_cast<QWidget *>(nullptr), 1));
        QCOMPARE(WindowOrganizer::getOrderNumber(static_cast<QWidget *>(nullptr)), 0);
        QCOMPARE(WindowOrganizer::findFirstWindowForExe(PeerProgram), m_peerWindow);
        QCOMPARE(WindowOrganizer::findFirstWindowForExe(QString()), WId(0));
    }

    void windowEntryAndToolManagerRaiseThePeer()
    {
        emit m_menu->aboutToShow();
        find(m_menu, "PeerTool/" + PeerTitle)->toggle();
        QTRY_COMPARE_WITH_TIMEOUT(activeWindow(), m_peerWindow, 10000);

        m_window.activateWindow();
        QTRY_COMPARE_WITH_TIMEOUT(activeWindow(), m_window.winId(), 10000);
        QSettings(Organization, Family).setValue("Manager/.", PeerProgram);
        QSettings(Organization, Family).setValue("Manager/Environment/Path", "/opt/manager");
        emit m_menu->aboutToShow();
        QVERIFY(describe(m_menu).startsWith("Tool manager|-|PeerTool["));
        find(m_menu, "Tool manager")->trigger(); // its window is found and raised
        QTRY_COMPARE_WITH_TIMEOUT(activeWindow(), m_peerWindow, 10000);
    }

    void startedToolsGetTheRegisteredPath()
    {
        emit m_menu->aboutToShow();
        QCOMPARE(reportOf([&] { find(m_menu, "PeerTool/New")->trigger(); }, m_files.filePath("new")),
                 PeerProgram + "|PATH=" + m_peerPath);
        const QString extra = QString::fromUtf8("\u00e4 \"x\"");
        QCOMPARE(reportOf([&] { QVERIFY(WindowOrganizer::startTool(Organization, Family, "PeerTool", {extra})); },
                          m_files.filePath("static")),
                 PeerProgram + "|" + extra + "|PATH=" + m_peerPath);
        QVERIFY(!WindowOrganizer::startTool(Organization, Family, "Nobody", {}));
    }

    void closedPeerLeavesTheMenu()
    {
        QVERIFY(WindowOrganizer::setOrderNumber(m_peerWindow, testpeer::StopNumber));
        QVERIFY(m_peer.waitForFinished(20000));
        QTRY_VERIFY_WITH_TIMEOUT(WindowOrganizer::findAllWindowsWithUserData("PeerTool").isEmpty(), 10000);
        emit m_menu->aboutToShow();
        QVERIFY(describe(m_menu).contains("|PeerTool[New]|"));
        // No window of the manager's program: the manager is started.
        QCOMPARE(reportOf([&] { find(m_menu, "Tool manager")->trigger(); }, m_files.filePath("manager")),
                 PeerProgram + "|PATH=/opt/manager");
        // A later registration under the same name replaces the earlier one.
        WindowOrganizer again(Organization, Family, "PeerTool", nullptr);
        QCOMPARE(QSettings(Organization, Family).value("PeerTool/.").toString(), QCoreApplication::applicationFilePath());
    }

    void menuFollowsTheStore_data()
    {
        QTest::addColumn<QVariantMap>("store");
        QTest::addColumn<bool>("parented");
        QTest::addColumn<bool>("allowTitle");
        QTest::addColumn<QString>("menu");

        const QVariantMap tools{{"A/.", "/bin/a"}, {"A/Environment/Path", "/pa"}, {"B/.", "/bin/b"}};
        QVariantMap managed = tools, odd = tools;
        managed.insert("Manager/.", "/bin/manager");
        odd.insert("C/Environment/Path", "/only/path"); // no "."
        odd.insert("D/E/.", "/nested");
        odd.insert("manager/.", "/lower");
        odd.insert("F/.", "");
        const QString a = "A[New|-|Own window(x)]", change = "|-|Change window title...";
        QTest::newRow("tools") << tools << true << true << a + "|B[New]" + change;
        QTest::newRow("manager") << managed << true << true << "Tool manager|-|" + a + "|B[New]" + change;
        QTest::newRow("odd groups") << odd << true << true << a + "|B[New]|C[New]|D[New]|F[New]|manager[New]" + change;
        QTest::newRow("menu without a window") << tools << false << true << "A[New|-|Own window( )]|B[New]";
        QTest::newRow("title change not allowed") << tools << true << false << a + "|B[New]";
        QTest::newRow("empty store") << QVariantMap() << true << true << change.mid(1);
    }

    void menuFollowsTheStore()
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
        Platform::WindowManager::instance().tagWindow(m_window.winId(), qHash(QStringLiteral("A")));
        WindowOrganizer organizer(Organization, application, QString(), nullptr);
        QVERIFY(organizer.allowChangeWindowTitle());
        organizer.setAllowChangeWindowTitle(allowTitle);
        QMenu shown(parented ? &m_window : nullptr);
        connect(&shown, &QMenu::aboutToShow, &organizer, &WindowOrganizer::updateMenu);
        emit shown.aboutToShow();
        Platform::WindowManager::instance().tagWindow(m_window.winId(), qHash(QStringLiteral("Tester")));
        QCOMPARE(describe(&shown), menu);
        for (const QString &tool : organizer.getAllTools()) {
            QCOMPARE(find(&shown, tool + "/New")->property("exepath").toString(), store.value(tool + "/.").toString());
            QCOMPARE(find(&shown, tool + "/New")->property("environmentpath").toString(),
                     store.value(tool + "/Environment/Path").toString());
        }
    }

    void changeWindowTitle_data()
    {
        QTest::addColumn<bool>("confirm");
        QTest::addColumn<QString>("entered");
        QTest::addColumn<QString>("title");
        QTest::newRow("confirmed") << true << QString::fromUtf8("Renamed \u00e4") << QString::fromUtf8("Renamed \u00e4");
        QTest::newRow("cancelled") << false << "Ignored" << "Own window";
        QTest::newRow("confirmed empty") << true << "" << "Own window";
    }

    void changeWindowTitle()
    {
        QFETCH(bool, confirm);
        QFETCH(QString, entered);
        QFETCH(QString, title);

        emit m_menu->aboutToShow();
        QStringList seen;
        QTimer::singleShot(0, this, [&] {
            QInputDialog *dialog = nullptr;
            QTRY_VERIFY((dialog = qobject_cast<QInputDialog *>(QApplication::activeModalWidget())));
            seen << dialog->windowTitle() << dialog->labelText() << dialog->textValue();
            QCOMPARE(dialog->parentWidget(), &m_window);
            dialog->setTextValue(entered);
            confirm ? dialog->accept() : dialog->reject();
        });
        find(m_menu, "Change window title...")->trigger();
        QCOMPARE(seen, QStringList({"Enter window title", "New title:", "Own window"}));
        QCOMPARE(m_window.windowTitle(), title);
        m_window.setWindowTitle("Own window");
    }

    void slotsIgnoreSendersOfTheWrongKind()
    {
        m_window.activateWindow();
        QTRY_COMPARE_WITH_TIMEOUT(activeWindow(), m_window.winId(), 10000);
        QObject plain;
        QAction loose(nullptr); // outside any menu
        QMenu orphan;           // a menu without a window
        QAction *inOrphan = orphan.addAction("entry");
        inOrphan->setProperty("winid", "not a window");
        for (const char *slot : {SLOT(updateMenu()), SLOT(startTool()), SLOT(bringToFront()), SLOT(changeWindowTitle())}) {
            QVERIFY(connect(&plain, SIGNAL(objectNameChanged(QString)), m_organizer, slot));
            connect(&loose, SIGNAL(triggered(bool)), m_organizer, slot);
            connect(inOrphan, SIGNAL(triggered(bool)), m_organizer, slot);
        }
        const QString before = describe(m_menu);
        plain.setObjectName("fired");
        loose.trigger();
        inOrphan->trigger();
        QVERIFY(QMetaObject::invokeMethod(m_organizer, "bringToFront")); // no sender at all
        QVERIFY(QMetaObject::invokeMethod(m_organizer, "updateMenu"));
        QTest::qWait(200);
        QCOMPARE(activeWindow(), m_window.winId());
        QCOMPARE(QApplication::activeModalWidget(), static_cast<QWidget *>(nullptr));
        QCOMPARE(describe(m_menu), before);
        QCOMPARE(orphan.actions().size(), 1);
    }

private:
    QTemporaryDir m_files;
    QWidget m_window;
    WindowOrganizer *m_organizer = nullptr;
    QMenu *m_menu = nullptr;
    QProcess m_peer;
    WId m_peerWindow = 0;
    QString m_peerPath = "/opt/peer tools/bin:" + qEnvironmentVariable("PATH");
};

int main(int argc, char **argv)
{
    QTemporaryDir home; // a real per-user store in a home of its own
    qputenv("HOME", QFile::encodeName(home.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath("config")));
    QApplication application(argc, argv);
    tst_WindowOrganizer test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_windoworganizer.moc"
