#pragma once

// Widget and dialog helpers of Basics.
//
//     if (QMainWindow *main = Basics::getMainWindow())
//         main->statusBar()->showMessage(text);
//
// Call them as Basics::name(); this holder only groups the declarations.

#include <basicsdll_export.h>

class QMainWindow;

/// Widget and dialog helpers; call them as Basics::name().
struct BASICSDLL_EXPORT BasicsWidgets
{
    BasicsWidgets() = delete;

    /// The first of the application's top-level widgets that is a
    /// QMainWindow, or null.
    static QMainWindow *getMainWindow();
};
