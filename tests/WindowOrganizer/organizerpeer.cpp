// The other tool of the organizer tests, a program of its own.
//   organizer_peer register <organization> <application> <tool> <title> <id file>
//       registers as <tool>, shows a tagged window with the order number 3,
//       writes its id to <id file> and stays until the order number is
//       StopNumber (at most two minutes);
//   organizer_peer [anything else]   (as "New" starts it)
//       writes a launch report to the file named by BASICS_LAUNCH_REPORT.

#include <WindowOrganizer/windoworganizer.h>

#include "launchreport.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>

extern char **environ;

int main(int argc, char **argv)
{
    if (argc != 7 || QByteArray(argv[1]) != "register") {
        launchreport::Report report(launchreport::SectionCount);
        report[launchreport::Arguments].assign(argv, argv + argc);
        for (char **entry = environ; *entry; ++entry)
            report[launchreport::Environment].push_back(*entry);
        const char *path = std::getenv(launchreport::ReportVariable);
        return path && launchreport::writeFile(path, launchreport::serialize(report)) ? 0 : 1;
    }
    QApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    QWidget window;
    window.setWindowTitle(arguments[5]);
    new WindowOrganizer(arguments[2], arguments[3], arguments[4], &window);
    WindowOrganizer::setOrderNumber(&window, 3);
    window.show();
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (WindowOrganizer::getOrderNumber(&window) == -424242)
            application.quit();
    });
    poll.start(20);
    QTimer::singleShot(120000, &application, &QApplication::quit);
    launchreport::writeFile(arguments[6].toStdString(), std::to_string(window.winId()));
    return application.exec();
}
