// Client of the installed package: system information and taskbar
// progress, used as a tool would use them, with the documented edge cases.

#include "clientcheck.h"

#include <Basics/basics.h>
#include <TaskbarProgress/taskbarprogress.h>

#include <QApplication>
#include <QFileInfo>
#include <QWidget>

#include <climits>

int main(int argc, char **argv)
{
    QApplication application(argc, argv);

    // No OpenGL context is current: the three fields are empty.
    CLIENT_CHECK(Basics::getHardwareInfo().endsWith(" logical cores)\nOpenGL:  |  | \n"));
#if !defined(Q_OS_WIN)
    CLIENT_CHECK(Basics::getWindowsVersion().isEmpty());
    CLIENT_CHECK(Basics::getWindowsVersionEx()
                 == qMakePair(QStringLiteral("not detectable"), QStringLiteral("not detectable")));
#endif
    const QString program = QCoreApplication::applicationFilePath();
    CLIENT_CHECK(!Basics::getLoadedDlls(false).contains(program));
    CLIENT_CHECK(Basics::getLoadedDlls(true).contains(program));
    CLIENT_CHECK(Basics::getSignature(QStringLiteral("/no/such/file.exe")).isEmpty());

    TaskbarProgress detached(nullptr);
    detached.setMaximum(-5);
    CLIENT_CHECK(detached.minimum() == -5 && detached.maximum() == 0 && detached.value() == 0);
    QWidget window;
    auto *progress = new TaskbarProgress(&window);
    progress->setMinimum(INT_MIN);
    progress->setMaximum(INT_MAX);
    progress->setValue(INT_MAX);
    progress->setMinimum(INT_MAX); // an empty range
    CLIENT_CHECK(progress->minimum() == INT_MAX && progress->value() == INT_MAX);
    progress->show();
    return CLIENT_RESULT();
}
