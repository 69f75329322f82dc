#pragma once

// Widget and dialog helpers of Basics.
//
//     if (QMainWindow *main = Basics::getMainWindow())
//         main->statusBar()->showMessage(text);
//
//     QList<QWidget *> locked = Basics::disable(form, {cancelButton}, false);
//     runCalculation();
//     Basics::enable(locked);           // what was disabled before stays so
//
//     Basics::makeVisible(errorField);  // switches tabs, restores the window
//     Basics::ensureVisible(window, -2);   // back onto its own screen
//     Basics::decorateSplitterHandle(splitter, 1, 3);
//
//     Basics::splashScreen = new QSplashScreen(pixmap);
//     Basics::setSplashMessage(tr("Loading glass catalogues"));
//
// Every function treats a null widget as a request to do nothing (or to
// return an empty or null result). GUI thread only. Call them as
// Basics::name(); this holder only groups the declarations.

#include <basicsdll_export.h>

#include "Ranges/intrange.h"

#include <QList>
#include <QMessageBox>
#include <QRect>
#include <QString>

class QCheckBox;
class QComboBox;
class QDialog;
class QMainWindow;
class QMimeData;
class QObject;
class QPlainTextEdit;
class QSplitter;
class QWidget;

/// Widget and dialog helpers; call them as Basics::name().
struct BASICSDLL_EXPORT BasicsWidgets
{
    BasicsWidgets() = delete;

    /// The first of the application's top-level widgets that is a
    /// QMainWindow, or null.
    static QMainWindow *getMainWindow();

    /// Sets the current index of \a box without emitting its signals; a box
    /// whose signals were blocked before stays blocked.
    static void setCurrentIndexSilently(QComboBox *box, int index);

    /// Hides the open menus, from the innermost popup outwards.
    static void hideAllMenus();

    /// Makes \a box ignore the mouse and take no focus (\a readOnly true) or
    /// behave normally again; its look does not change.
    static void setReadOnly(QCheckBox *box, bool readOnly);

    /// The names of \a object and its ancestors joined by "::", outermost
    /// first; the class name stands in for an empty name, and objects with
    /// the dynamic property "ignored" (any valid value) are left out.
    /// Example: "main::QGroupBox::edit". Empty for null.
    static QString getFullObjectName(QObject *object);

    /// The names from \a object up to, but not including, \a ancestor (to
    /// the root when \a ancestor is not one), joined by "::", outermost
    /// first. Unnamed objects show their class name, or nothing when
    /// \a namedOnly is true. Empty when \a object is \a ancestor or null.
    static QString getRelativeObjectName(const QObject *object, const QObject *ancestor,
                                         bool namedOnly);

    /// Moves the top-level \a window into the available area of a screen so
    /// that its right and bottom edges and its title bar are visible; a
    /// window larger than the area ends at the area's left edge with its
    /// title bar at the top. \a screen below -1: the screen that holds the
    /// window; -1: the primary screen; beyond the last: the last screen.
    /// The window state is kept (a maximized window's normal placement is
    /// corrected).
    static void ensureVisible(QWidget *window, int screen);

    /// The geometry \a widget has when not maximized: for a maximized window
    /// it is un-maximized, its geometry read once the window system has
    /// answered (at most about a second), and maximized again. The null
    /// rectangle for null.
    static QRect getNormalGeometry(const QWidget *widget);

    /// The dynamic property "description" as text, or the object name when
    /// that is empty or absent. Empty for null.
    static QString getDescription(const QWidget *widget);

    /// Shows a message box (\a icon, \a title, \a text, \a buttons, \a parent,
    /// \a flags) without waiting for it; it deletes itself when closed. No
    /// buttons: a single Close button. \a modal sets its modality.
    static void showMessage(QWidget *parent, QMessageBox::Icon icon, const QString &title,
                            const QString &text, bool modal,
                            QMessageBox::StandardButtons buttons = QMessageBox::NoButton,
                            Qt::WindowFlags flags = Qt::Dialog
                                | Qt::MSWindowsFixedSizeDialogHint);

    /// Blocks the calling thread for \a milliseconds (nothing for 0 or
    /// less); events are not processed meanwhile.
    static void qSleep(int milliseconds);

    /// Makes \a widget visible by acting on each container up to its
    /// window: switches tab widgets and stacked widgets to the page that
    /// holds it, calls a container's expand() slot, or else sets the dynamic
    /// property "makeVisible" to true on the container; restores a minimized
    /// window, shows and raises it (a dialog's parent window too). Pending
    /// events except user input are processed on the way. Nothing happens
    /// for a top-level widget itself.
    static void makeVisible(QWidget *widget);

    /// Changes the modality of \a dialog: hides it, sets the modality and
    /// shows it again at the same place (a hidden dialog is shown too);
    /// nothing when the modality is already as asked.
    static void setModal(QDialog *dialog, bool modal);

    /// Shows "  >> message" at the bottom left of Basics::splashScreen in
    /// the colour (0, 159, 227); nothing without a splash screen.
    static void setSplashMessage(const QString &message);

    /// The line (block) numbers touched by the selection of \a edit, from 0,
    /// upper bound exclusive; a selection that ends at the start of a line
    /// does not touch that line. Empty for no selection or null.
    static IntRange selectedLines(QPlainTextEdit *edit);

    /// A new QMimeData (owned by the caller) holding the data of every
    /// format of \a source; null for null.
    static QMimeData *cloneMimeData(const QMimeData *source);

    /// Disables the enabled buttons and makes the writable spin boxes
    /// read-only below \a root (all depths, or its direct children only),
    /// except those in \a except; returns exactly the widgets it changed,
    /// for enable(). Buttons disabled by their own setEnabled(false) and
    /// read-only spin boxes are left alone.
    static QList<QWidget *> disable(QWidget *root, const QList<QWidget *> &except = {},
                                    bool directChildrenOnly = false);

    /// Undoes disable(): enables the buttons and makes the spin boxes
    /// writable. Null entries are skipped; the widgets must still exist.
    static void enable(QList<QWidget *> widgets);

    /// Draws \a lines grip lines (0..100; clamped) on handle \a index of
    /// \a splitter and sets its handle width to 2 * lines + 1. Decorating a
    /// handle again replaces its lines; an index that names no handle
    /// changes nothing. A null splitter writes the trace line
    /// "splitter = NULL".
    static void decorateSplitterHandle(QSplitter *splitter, int index, int lines);
};
