#include "WindowOrganizer/windoworganizer.h"

#include "Platform/windowmanager.h"
#include "WProcess/wprocess.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QHash>
#include <QInputDialog>
#include <QMenu>
#include <QPointer>
#include <QProcessEnvironment>
#include <QSettings>
#include <QWidget>

namespace {

using NativeWindow = WindowOrganizer::NativeWindow;

#if defined(Q_OS_WIN)
const char PathVariable[] = "Path";
#else
const char PathVariable[] = "PATH";
#endif
const char ManagerGroup[] = "Manager";
// Marks the submenus updateMenu() made, so that it deletes only its own.
const char OwnSubmenuProperty[] = "windowOrganizerToolMenu";

// State of the window enumerations, shared by the whole process.
QMap<NativeWindow, QString> s_windowTitles;
QString s_searchedExecutable;
NativeWindow s_foundWindow = 0;

Platform::WindowManager &desktop()
{
    return Platform::WindowManager::instance();
}

Platform::WindowManager::Window toPlatform(NativeWindow window)
{
    return Platform::WindowManager::Window(window);
}

NativeWindow fromPlatform(Platform::WindowManager::Window window)
{
#if defined(Q_OS_WIN)
    return reinterpret_cast<NativeWindow>(window);
#else
    return NativeWindow(window);
#endif
}

unsigned int toolTag(const QString &toolName)
{
    return qHash(toolName); // seed 0: the same in every process of the family
}

// The native window of \a widget's top-level window; 0 when there is none.
// On Linux only the xcb platform's window ids are X11 windows (offscreen or
// Wayland-native widgets have none the desktop can see).
NativeWindow nativeWindowOf(QWidget *widget)
{
    QWidget *top = widget ? widget->window() : nullptr;
    if (!top)
        return 0;
#if !defined(Q_OS_WIN)
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return 0;
    const WId window = top->winId();
    // The toolkit talks to the X server on a connection of its own: a round
    // trip there makes sure the window exists before the window manager
    // service reads or writes its properties.
    QGuiApplication::sync();
    return window;
#else
    return fromPlatform(Platform::WindowManager::Window(top->winId()));
#endif
}

Platform::WindowManager::NativePath nativePath(const QString &path)
{
#if defined(Q_OS_WIN)
    return path.toStdWString();
#else
    return QFile::encodeName(path).toStdString();
#endif
}

QString fromWindowTitle(const std::string &title)
{
#if defined(Q_OS_WIN)
    return QString::fromLocal8Bit(title.data(), int(title.size()));
#else
    return QString::fromUtf8(title.data(), int(title.size()));
#endif
}

// Starts \a executable detached, with "PATH" set to \a path unless that is
// empty.
bool startWithPath(const QString &executable, const QString &path, const QStringList &arguments)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (!path.isEmpty())
        environment.insert(QStringLiteral("PATH"), path);
    WProcess process;
    process.environment = environment;
    return process.startDetached(executable, arguments, QString());
}

void deleteOwnSubmenus(QMenu *menu)
{
    const QList<QMenu *> submenus = menu->findChildren<QMenu *>(QString(), Qt::FindDirectChildrenOnly);
    for (QMenu *submenu : submenus) {
        if (submenu->property(OwnSubmenuProperty).toBool())
            delete submenu;
    }
}

} // namespace

WindowOrganizer::WindowOrganizer(const QString &organization, const QString &application,
                                 const QString &toolName, QWidget *parent)
    : QObject(parent),
      m_settings(new QSettings(organization, application)),
      m_allowChangeWindowTitle(true)
{
    if (!toolName.isEmpty()) {
        QString path = qEnvironmentVariable(PathVariable);
        if (path.isNull())
            path = QLatin1String(""); // stored as an empty text, not as "no value"
        m_settings->setValue(toolName + QLatin1String("/Environment/Path"), path);
        m_settings->setValue(toolName + QLatin1String("/."), QCoreApplication::applicationFilePath());
        // Other processes of the family read the store at once.
        m_settings->sync();
    }
    if (const NativeWindow window = nativeWindowOf(parent))
        desktop().tagWindow(toPlatform(window), toolTag(toolName));
}

WindowOrganizer::~WindowOrganizer()
{
    delete m_settings;
}

bool WindowOrganizer::allowChangeWindowTitle() const
{
    return m_allowChangeWindowTitle;
}

void WindowOrganizer::setAllowChangeWindowTitle(bool allow)
{
    m_allowChangeWindowTitle = allow;
}

QStringList WindowOrganizer::getAllTools() const
{
    m_settings->sync(); // see what other processes registered meanwhile
    QStringList tools = m_settings->childGroups();
    tools.removeAll(QLatin1String(ManagerGroup));
    return tools;
}

QString WindowOrganizer::getEnvironmentPathForTool(const QString &toolName)
{
    m_settings->sync();
    return m_settings->value(toolName + QLatin1String("/Environment/Path")).toString();
}

bool WindowOrganizer::startTool(const QString &toolName, const QStringList &arguments)
{
    m_settings->sync();
    const QString executable = m_settings->value(toolName + QLatin1String("/.")).toString();
    if (executable.isEmpty())
        return false;
    const QString path = m_settings->value(toolName + QLatin1String("/Environment/Path")).toString();
    return startWithPath(executable, path, arguments);
}

void WindowOrganizer::updateMenu()
{
    QMenu *menu = qobject_cast<QMenu *>(sender());
    if (!menu)
        return;
    qRegisterMetaType<WId>("WId");
    QWidget *owner = menu->parentWidget() ? menu->parentWidget()->window() : nullptr;
    const NativeWindow current = nativeWindowOf(owner);

    deleteOwnSubmenus(menu);
    menu->clear();

    m_settings->sync();
    m_managerExecutable = m_settings->value(QLatin1String("Manager/.")).toString();
    if (!m_managerExecutable.isEmpty()) {
        m_managerPath = m_settings->value(QLatin1String("Manager/Environment/Path")).toString();
        QAction *manager = menu->addAction(QStringLiteral("Tool manager"));
        connect(manager, SIGNAL(triggered(bool)), this, SLOT(showManager()));
        menu->addSeparator();
    }

    const QStringList tools = getAllTools();
    for (const QString &tool : tools) {
        const QString executable = m_settings->value(tool + QLatin1String("/.")).toString();
        const QString path = m_settings->value(tool + QLatin1String("/Environment/Path")).toString();
        QMenu *submenu = menu->addMenu(tool);
        submenu->setProperty(OwnSubmenuProperty, true);

        QAction *start = submenu->addAction(QStringLiteral("New"));
        start->setProperty("exepath", executable);
        start->setProperty("environmentpath", path);
        start->setStatusTip(executable);
        connect(start, SIGNAL(triggered(bool)), this, SLOT(startTool()));

        const QMap<NativeWindow, QString> windows = findAllWindowsWithUserData(tool);
        if (!windows.isEmpty())
            submenu->addSeparator();
        for (auto it = windows.cbegin(); it != windows.cend(); ++it) {
            QAction *entry = submenu->addAction(it.value());
            entry->setProperty("winid", QVariant::fromValue(WId(toPlatform(it.key()))));
            entry->setCheckable(true);
            // Checked before the connection: building the menu raises nothing.
            entry->setChecked(current && it.key() == current);
            connect(entry, SIGNAL(toggled(bool)), this, SLOT(bringToFront()));
        }
    }

    if (m_allowChangeWindowTitle && owner) {
        menu->addSeparator();
        QAction *rename = menu->addAction(QStringLiteral("Change window title..."));
        connect(rename, SIGNAL(triggered(bool)), this, SLOT(changeWindowTitle()));
    }
}

void WindowOrganizer::startTool()
{
    const QObject *entry = sender();
    if (!entry)
        return;
    startWithPath(entry->property("exepath").toString(),
                  entry->property("environmentpath").toString(), QStringList());
}

void WindowOrganizer::bringToFront()
{
    const QObject *entry = sender();
    if (!entry)
        return;
    const WId window = entry->property("winid").value<WId>();
    if (window)
        desktop().bringToFront(Platform::WindowManager::Window(window));
}

void WindowOrganizer::changeWindowTitle()
{
    const QAction *action = qobject_cast<QAction *>(sender());
    const QMenu *menu = action ? qobject_cast<QMenu *>(action->parentWidget()) : nullptr;
    QWidget *owner = menu ? menu->parentWidget() : nullptr;
    QPointer<QWidget> window = owner ? owner->window() : nullptr;
    if (!window)
        return;
    bool confirmed = false;
    const QString title = QInputDialog::getText(window, tr("Enter window title"),
                                                QStringLiteral("New title:"), QLineEdit::Normal,
                                                window->windowTitle(), &confirmed);
    // The window may have gone while the dialog was open.
    if (confirmed && !title.isEmpty() && window)
        window->setWindowTitle(title);
}

void WindowOrganizer::showManager()
{
    if (m_managerExecutable.isEmpty())
        return;
    if (const NativeWindow window = findFirstWindowForExe(m_managerExecutable)) {
        desktop().bringToFront(toPlatform(window));
        return;
    }
    startWithPath(m_managerExecutable, m_managerPath, QStringList());
}

bool WindowOrganizer::setOrderNumber(QWidget *widget, int number)
{
    if (!widget)
        return false;
    const NativeWindow window = nativeWindowOf(widget);
    return window && setOrderNumber(window, number);
}

bool WindowOrganizer::setOrderNumber(NativeWindow window, int number)
{
    return desktop().setOrderNumber(toPlatform(window), number);
}

int WindowOrganizer::getOrderNumber(QWidget *widget)
{
    const NativeWindow window = nativeWindowOf(widget);
    return window ? getOrderNumber(window) : 0;
}

int WindowOrganizer::getOrderNumber(NativeWindow window)
{
    return desktop().orderNumber(toPlatform(window));
}

QMap<NativeWindow, QString> WindowOrganizer::findAllWindowsWithUserData(unsigned int userData)
{
    s_windowTitles.clear();
    for (const auto &found : desktop().windowsWithTag(userData))
        s_windowTitles.insert(fromPlatform(found.window), fromWindowTitle(found.title));
    return s_windowTitles;
}

QMap<NativeWindow, QString> WindowOrganizer::findAllWindowsWithUserData(const QString &toolName)
{
    return findAllWindowsWithUserData(toolTag(toolName));
}

int WindowOrganizer::findMaximumOrderNummer(unsigned int userData, const QString &)
{
    int maximum = 0;
    const QMap<NativeWindow, QString> windows = findAllWindowsWithUserData(userData);
    for (auto it = windows.cbegin(); it != windows.cend(); ++it)
        maximum = qMax(maximum, getOrderNumber(it.key()));
    return maximum;
}

int WindowOrganizer::findMaximumOrderNummer(const QString &toolName, const QString &other)
{
    return findMaximumOrderNummer(toolTag(toolName), other);
}

NativeWindow WindowOrganizer::findFirstWindowForExe(const QString &executable)
{
    s_foundWindow = 0;
    s_searchedExecutable = executable;
    if (!s_searchedExecutable.isEmpty())
        s_foundWindow = fromPlatform(desktop().firstWindowOfExecutable(nativePath(executable)));
    return s_foundWindow;
}

QString WindowOrganizer::getEnvironmentPathForTool(const QString &organization,
                                                   const QString &application,
                                                   const QString &toolName)
{
    WindowOrganizer organizer(organization, application, QString(), nullptr);
    return organizer.getEnvironmentPathForTool(toolName);
}

bool WindowOrganizer::startTool(const QString &organization, const QString &application,
                                const QString &toolName, const QStringList &arguments)
{
    WindowOrganizer organizer(organization, application, QString(), nullptr);
    return organizer.startTool(toolName, arguments);
}

QStringList WindowOrganizer::getAllTools(const QString &organization, const QString &application)
{
    WindowOrganizer organizer(organization, application, QString(), nullptr);
    return organizer.getAllTools();
}
