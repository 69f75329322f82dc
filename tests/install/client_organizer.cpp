// Client of the installed package: two processes of one tool find each
// other through the window organizer. The client registers as the tool
// "Client", starts a second instance of itself through the organizer, sees
// that instance's window with its title and order number in the menu, and
// tells it to leave by changing its order number. Without an X server only
// what needs no desktop is checked.

#include "clientcheck.h"

#include <WProcess/wprocess.h>
#include <WindowOrganizer/windoworganizer.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QMenu>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace {

const QString Organization = QStringLiteral("BasicsDLL client");
const QString Family = QStringLiteral("Family");
constexpr int Leave = -1;

// The second instance: a tagged window with the order number 11, until told
// to leave.
int runSecondInstance(QApplication &application)
{
    QWidget window;
    window.setWindowTitle("Second instance");
    new WindowOrganizer(Organization, Family, "Client", &window);
    WindowOrganizer::setOrderNumber(&window, 11);
    window.show();
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (WindowOrganizer::getOrderNumber(&window) == Leave)
            application.quit();
    });
    poll.start(20);
    QTimer::singleShot(60000, &application, &QApplication::quit);
    return application.exec();
}

bool waitFor(const std::function<bool()> &condition)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 20000) {
        QCoreApplication::processEvents();
        if (condition())
            return true;
    }
    return false;
}

} // namespace

int main(int argc, char **argv)
{
    const bool desktop = !qEnvironmentVariableIsEmpty("DISPLAY");
    if (desktop)
        qputenv("QT_QPA_PLATFORM", "xcb");
    if (argc > 1 && QByteArray(argv[1]) == "second") {
        QApplication application(argc, argv);
        return runSecondInstance(application);
    }

    // A store of its own: the second instance inherits the variable.
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path()));
    QApplication application(argc, argv);

    QWidget window;
    window.setWindowTitle("First instance");
    auto *organizer = new WindowOrganizer(Organization, Family, "Client", &window);
    CLIENT_CHECK(WindowOrganizer::getAllTools(Organization, Family) == QStringList{"Client"});
    CLIENT_CHECK(WindowOrganizer::getEnvironmentPathForTool(Organization, Family, "Client")
                 == qEnvironmentVariable("PATH"));

    WProcess process;
    process.environment = QProcessEnvironment::systemEnvironment();
    CLIENT_CHECK(!process.startDetached(QDir(home.path()).filePath("missing"), {}, QString()));

    if (!desktop) {
        CLIENT_CHECK(WindowOrganizer::findAllWindowsWithUserData("Client").isEmpty());
        return CLIENT_RESULT();
    }
    window.show();
    CLIENT_CHECK(WindowOrganizer::startTool(Organization, Family, "Client", {"second"}));

    // The second instance's window shows up under the tool.
    WindowOrganizer::NativeWindow second = 0;
    CLIENT_CHECK(waitFor([&] {
        const auto windows = WindowOrganizer::findAllWindowsWithUserData("Client");
        second = windows.key("Second instance");
        return second != 0;
    }));
    CLIENT_CHECK(WindowOrganizer::getOrderNumber(second) == 11);
    CLIENT_CHECK(WindowOrganizer::findMaximumOrderNummer("Client", QString()) == 11);
    CLIENT_CHECK(WindowOrganizer::findFirstWindowForExe(QCoreApplication::applicationFilePath()) != 0);

    QMenu menu(&window);
    QObject::connect(&menu, &QMenu::aboutToShow, organizer, &WindowOrganizer::updateMenu);
    emit menu.aboutToShow();
    const QList<QAction *> entries = menu.actions();
    CLIENT_CHECK(entries.size() == 3 && entries[0]->text() == "Client" && entries[0]->menu());
    if (entries.size() == 3 && entries[0]->menu()) {
        QStringList titles;
        for (const QAction *entry : entries[0]->menu()->actions())
            titles << entry->text();
        CLIENT_CHECK(titles.contains("New") && titles.contains("Second instance")
                     && titles.contains("First instance"));
    }

    CLIENT_CHECK(WindowOrganizer::setOrderNumber(second, Leave));
    CLIENT_CHECK(waitFor([&] {
        return !WindowOrganizer::findAllWindowsWithUserData("Client").key("Second instance");
    }));
    return CLIENT_RESULT();
}
