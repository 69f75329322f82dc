// Widget and dialog helpers of Basics.

#include "Basics/basics_widgets.h"

#include <QApplication>
#include <QMainWindow>

QMainWindow *BasicsWidgets::getMainWindow()
{
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
        return nullptr;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *window = qobject_cast<QMainWindow *>(widget))
            return window;
    }
    return nullptr;
}
