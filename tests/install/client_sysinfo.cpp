// Client of the installed package: system information and taskbar
// progress, one call each.

#include "clientcheck.h"

#include <Basics/basics.h>
#include <TaskbarProgress/taskbarprogress.h>

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    // No OpenGL context is current: the three fields are empty.
    CLIENT_CHECK(Basics::getHardwareInfo().endsWith(" logical cores)\nOpenGL:  |  | \n"));
    TaskbarProgress progress(nullptr);
    progress.setMaximum(-5);
    CLIENT_CHECK(progress.minimum() == -5 && progress.maximum() == 0 && progress.value() == 0);
    return CLIENT_RESULT();
}
