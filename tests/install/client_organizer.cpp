// Client of the installed package: two processes of the tool "Client" find
// each other through the window organizer; the first starts the second, sees
// its window and order number, and tells it to leave through that number.

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

    CLIENT_CHECK(!WProcess().startDetached(QDir(home.path()).filePath("missing"), {}, QString()));

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
    CLIENT_CHECK(WindowOrganizer::findMaximumOrderNummer("Client", QString()) == 11);

    QMenu menu(&window);
    QObject::connect(&menu, &QMenu::aboutToShow, organizer, &WindowOrganizer::updateMenu);
    emit menu.aboutToShow();
    const QMenu *tool = menu.actions().value(0) ? menu.actions().first()->menu() : nullptr;
    CLIENT_CHECK(tool && tool->actions().size() == 4); // New, separator, both windows

    CLIENT_CHECK(WindowOrganizer::setOrderNumber(second, Leave));
    CLIENT_CHECK(waitFor([&] {
        return !WindowOrganizer::findAllWindowsWithUserData("Client").key("Second instance");
    }));
    return CLIENT_RESULT();
}
