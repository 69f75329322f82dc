// The other tool of the organizer tests, a program of its own:
//
//   organizer_peer register <organization> <application> <tool> <title> <id file>
//       registers itself as <tool>, shows a window titled <title> tagged by
//       its organizer, gives it the order number 3, writes the window id to
//       <id file> and runs until its order number is set to StopNumber (or
//       two minutes have passed);
//   organizer_peer [arguments...]   (anything else, as "New" starts it)
//       writes a launch report (arguments, environment, directory) to the
//       file named by BASICS_LAUNCH_REPORT and exits.

#include <WindowOrganizer/windoworganizer.h>

#include "launchreport.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTimer>
#include <QWidget>

#include <unistd.h>

extern char **environ;

namespace {

constexpr int StopNumber = -424242;

int report(int argc, char **argv)
{
    launchreport::Report report;
    for (int i = 0; i < argc; ++i)
        report.runtimeArguments.push_back(argv[i]);
    for (char **entry = environ; *entry; ++entry)
        report.environment.push_back(*entry);
    report.directory = QDir::currentPath().toStdString();
    const char *path = std::getenv(launchreport::ReportVariable);
    return path && launchreport::writeFile(path, launchreport::serialize(report)) ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 7 || QByteArray(argv[1]) != "register")
        return report(argc, argv);

    QApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    QWidget window;
    window.setWindowTitle(arguments[5]);
    window.resize(320, 200);
    new WindowOrganizer(arguments[2], arguments[3], arguments[4], &window);
    WindowOrganizer::setOrderNumber(&window, 3);
    window.show();

    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (WindowOrganizer::getOrderNumber(&window) == StopNumber)
            application.quit();
    });
    poll.start(20);
    QTimer::singleShot(120000, &application, &QApplication::quit);
    const std::string idFile = QFile::encodeName(arguments[6]).toStdString();
    launchreport::writeFile(idFile, std::to_string(window.winId()));
    return application.exec();
}
