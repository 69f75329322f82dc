#pragma once

// WindowOrganizer: lets the tools of a family find one another without a
// server. Every tool registers its executable and its search path in a
// settings store shared by the family, tags its main window with a number
// derived from its tool name, and fills a menu with every registered tool:
// an entry "New" that starts another instance, and one entry per open
// window of the tool, which brings that window to the front.
//
//     // at start-up of the tool "Designer":
//     auto *organizer = new WindowOrganizer("Optics", "ToolFamily", "Designer", mainWindow);
//     connect(toolsMenu, &QMenu::aboutToShow, organizer, &WindowOrganizer::updateMenu);
//     // elsewhere: start a sibling with its registered search path
//     WindowOrganizer::startTool("Optics", "ToolFamily", "Viewer", {"lens.zmx"});
//
// Store layout (one group per tool; the group "Manager" is the tool
// manager, never listed as a tool):
//     <tool>/.                 the tool's executable (absolute path)
//     <tool>/Environment/Path  its search path at registration: the variable
//                              "Path" on Windows, "PATH" on Linux
// Window data shared across processes: the tool tag (qHash of the tool name,
// 32 bits) and the order number "OrderNumber" (a signed int, 0 when absent);
// see docs/organizer.md for how each platform stores them. Executables
// compare ignoring case with '/' read as '\' on Windows, and exactly after
// resolving symbolic links on Linux.
//
// Use it on the GUI thread only: the window enumerations share process-wide
// state.

#include <basicsdll_export.h>

#include <QMap>
#include <QObject>
#include <QString>
#include <QStringList>
#include <qwindowdefs.h> // WId

class QSettings;
class QWidget;

#if defined(Q_OS_WIN)
struct HWND__;
#endif

/// Registers a tool of the family, tags its window, and fills a menu with
/// every registered tool and its open windows.
class BASICSDLL_EXPORT WindowOrganizer : public QObject
{
    Q_OBJECT

public:
#if defined(Q_OS_WIN)
    /// A top-level window of the desktop: the window handle (HWND).
    typedef HWND__ *NativeWindow;
#else
    /// A top-level window of the desktop: the X11 window id (WId).
    typedef WId NativeWindow;
#endif

    /// Opens the store named \a organization and \a application (the
    /// toolkit's per-user store in its native format). A non-empty
    /// \a toolName registers the calling program as that tool (its
    /// executable and search path, replacing earlier values); a non-null
    /// \a parent becomes the organizer's parent and has its top-level window
    /// tagged with the tag of \a toolName (also when it is empty).
    WindowOrganizer(const QString &organization, const QString &application,
                    const QString &toolName, QWidget *parent);
    /// Closes the store.
    ~WindowOrganizer() override;

    /// Whether updateMenu() offers "Change window title..." (true at first).
    bool allowChangeWindowTitle() const;
    /// The tools of the store: its groups without "Manager" (compared
    /// case-sensitively), in the store's order.
    QStringList getAllTools() const;
    /// The search path registered for \a toolName; empty when there is none.
    QString getEnvironmentPathForTool(const QString &toolName);
    /// Starts the registered executable of \a toolName detached with
    /// \a arguments, "PATH" set to the tool's registered search path (when
    /// that is not empty) and no working directory. false when the tool has
    /// no executable registered or the start fails.
    bool startTool(const QString &toolName, const QStringList &arguments);

    /// Stores \a number as the order number of the top-level window of
    /// \a widget; false for a null widget or when it cannot be stored.
    static bool setOrderNumber(QWidget *widget, int number);
    /// Stores \a number as the order number of \a window; whether it could be
    /// stored.
    static bool setOrderNumber(NativeWindow window, int number);
    /// The order number of the top-level window of \a widget; 0 for a null
    /// widget or a window without one.
    static int getOrderNumber(QWidget *widget);
    /// The order number of \a window; 0 when it has none.
    static int getOrderNumber(NativeWindow window);
    /// Every top-level window tagged \a userData, by ascending handle, with
    /// its title.
    static QMap<NativeWindow, QString> findAllWindowsWithUserData(unsigned int userData);
    /// Every top-level window of the tool \a toolName, by ascending handle,
    /// with its title.
    static QMap<NativeWindow, QString> findAllWindowsWithUserData(const QString &toolName);
    /// The largest order number among the windows tagged \a userData, at
    /// least 0 (negative numbers never win). \a other is not used.
    static int findMaximumOrderNummer(unsigned int userData, const QString &other);
    /// The largest order number among the windows of \a toolName, at least 0.
    /// \a other is not used.
    static int findMaximumOrderNummer(const QString &toolName, const QString &other);
    /// The first top-level window, in the system's enumeration order, of a
    /// process running \a executable; null when none or \a executable is
    /// empty. Processes the caller may not inspect are skipped.
    static NativeWindow findFirstWindowForExe(const QString &executable);
    /// getEnvironmentPathForTool() on the store named \a organization and
    /// \a application, without registering anything.
    static QString getEnvironmentPathForTool(const QString &organization,
                                             const QString &application, const QString &toolName);
    /// startTool() on the store named \a organization and \a application,
    /// without registering anything.
    static bool startTool(const QString &organization, const QString &application,
                          const QString &toolName, const QStringList &arguments);
    /// getAllTools() on the store named \a organization and \a application,
    /// without registering anything.
    static QStringList getAllTools(const QString &organization, const QString &application);

public slots:
    /// Whether updateMenu() offers "Change window title...".
    void setAllowChangeWindowTitle(bool allow);
    /// Rebuilds the menu that sends the signal (connect a QMenu's
    /// aboutToShow()): "Tool manager" and a separator when a manager is
    /// registered; a submenu per tool with "New" and, after a separator, one
    /// checkable entry per open window (checked for the window showing the
    /// menu); then a separator and "Change window title..." when allowed and
    /// the menu belongs to a window. Other senders are ignored.
    void updateMenu();
    /// Starts the tool of the "New" entry that sends the signal (its
    /// properties "exepath" and "environmentpath").
    void startTool();

private slots:
    void bringToFront();
    void changeWindowTitle();
    void showManager();

private:
    QSettings *m_settings;
    bool m_allowChangeWindowTitle;
    QString m_managerExecutable;
    QString m_managerPath;
};
