// Window and dialog helpers of Basics: placement on screen, normal geometry,
// making nested widgets visible, message boxes, modality, the splash screen.

#include "Basics/basics.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QSplashScreen>
#include <QStackedWidget>
#include <QTabWidget>
#include <QThread>
#include <QWindow>

QPointer<QSplashScreen> Basics::splashScreen;

namespace {

bool hasGuiApplication()
{
    return qobject_cast<QApplication *>(QCoreApplication::instance()) != nullptr;
}

void processEventsExceptInput()
{
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

QScreen *screenOf(const QWidget *window)
{
    if (QScreen *screen = QGuiApplication::screenAt(window->frameGeometry().center()))
        return screen;
    if (const QWindow *handle = window->windowHandle())
        return handle->screen();
    return QGuiApplication::primaryScreen();
}

// The available area chosen by ensureVisible's screen argument.
QRect availableArea(const QWidget *window, int screen)
{
    const QList<QScreen *> screens = QGuiApplication::screens();
    if (screens.isEmpty())
        return QRect();
    QScreen *chosen = nullptr;
    if (screen < -1)
        chosen = screenOf(window);
    else if (screen >= 0)
        chosen = screens.at(std::min(screen, int(screens.size()) - 1));
    if (!chosen)
        chosen = QGuiApplication::primaryScreen();
    return chosen ? chosen->availableGeometry() : QRect();
}

// Waits, processing events except user input, until the window system has
// reported a geometry other than \a from and then kept it for a moment
// (window managers answer state changes asynchronously, sometimes in more
// than one step); at most about \a milliseconds.
// When \a expected is valid, reaching it ends the wait at once, so a busy
// machine that delays the window manager's later steps cannot cut it short.
void waitForGeometryChange(const QWidget *widget, const QRect &from, const QRect &expected,
                           int milliseconds)
{
    constexpr int settled = 100;
    QElapsedTimer timer;
    timer.start();
    QElapsedTimer unchanged;
    QRect last = from;
    while (timer.elapsed() < milliseconds) {
        processEventsExceptInput();
        const QRect now = widget->geometry();
        if (expected.isValid() && now == expected)
            return;
        if (now != last) {
            last = now;
            unchanged.start();
        } else if (now != from && unchanged.elapsed() >= settled) {
            return;
        }
        QThread::msleep(2);
    }
}

} // namespace

void BasicsWidgets::ensureVisible(QWidget *window, int screen)
{
    if (!window || !window->isWindow() || !hasGuiApplication())
        return;
    const QRect area = availableArea(window, screen);
    if (!area.isValid())
        return;

    const QRect frame = window->frameGeometry();
    QRect client = window->geometry();
    const int titleHeight = std::abs(frame.top() - client.top());
    const int lowestTop = area.top() + titleHeight;

    const Qt::WindowStates state = window->windowState();
    window->setWindowState(state & ~Qt::WindowMaximized);

    // Right and bottom edges first, then left and top, so that a window
    // larger than the area keeps its title bar and left edge visible.
    int dx = std::max(0, client.right() - area.right());
    int dy = std::max(0, client.bottom() - area.bottom());
    if (dx > 0 || dy > 0) {
        window->setGeometry(client.translated(-dx, -dy));
        client = window->geometry();
    }
    dx = std::max(0, area.left() - client.left());
    dy = std::max(0, lowestTop - client.top());
    if (dx > 0 || dy > 0)
        window->setGeometry(client.translated(dx, dy));

    window->setWindowState(state);
}

QRect BasicsWidgets::getNormalGeometry(const QWidget *widget)
{
    if (!widget)
        return QRect();
    if (!widget->isMaximized())
        return widget->geometry();

    auto *window = const_cast<QWidget *>(widget);
    const QRect maximized = window->geometry();
    // The toolkit's record of the placement before maximizing, where it has
    // one; the window manager has the last word.
    const QRect recorded = window->normalGeometry();
    const Qt::WindowStates state = window->windowState();
    window->setWindowState(state & ~Qt::WindowMaximized);
    // A shown window gets its normal geometry back from the window system;
    // a hidden one has it already.
    if (window->isWindow() && window->isVisible())
        waitForGeometryChange(window, maximized, recorded != maximized ? recorded : QRect(), 3000);
    const QRect normal = window->geometry();
    window->setWindowState(state);
    return normal;
}

void BasicsWidgets::showMessage(QWidget *parent, QMessageBox::Icon icon, const QString &title,
                                const QString &text, bool modal,
                                QMessageBox::StandardButtons buttons, Qt::WindowFlags flags)
{
    if (!hasGuiApplication())
        return;
    auto *box = new QMessageBox(icon, title, text, buttons, parent, flags);
    box->setAttribute(Qt::WA_DeleteOnClose);
    if (buttons == QMessageBox::NoButton)
        box->setStandardButtons(QMessageBox::Close);
    box->setModal(modal);
    box->show();
}

void BasicsWidgets::makeVisible(QWidget *widget)
{
    // Events are processed on the way: any of these widgets may go.
    QPointer<QWidget> current = widget;
    while (current && current->parentWidget()) {
        QPointer<QWidget> container = current->parentWidget();
        // A tab's page sits in the tab widget's internal stack.
        if (auto *tabs = qobject_cast<QTabWidget *>(container->parentWidget()))
            container = tabs;

        if (container->isWindow()) {
            container->setWindowState(container->windowState() & ~Qt::WindowMinimized);
            container->show();
            container->raise();
            processEventsExceptInput();
        } else if (auto *tabs = qobject_cast<QTabWidget *>(container.data())) {
            tabs->setCurrentWidget(current);
            processEventsExceptInput();
        } else if (auto *stack = qobject_cast<QStackedWidget *>(container.data())) {
            stack->setCurrentWidget(current);
            processEventsExceptInput();
        } else if (container->metaObject()->indexOfSlot("expand()") >= 0) {
            QMetaObject::invokeMethod(container, "expand", Qt::DirectConnection);
        } else {
            container->setProperty("makeVisible", true);
        }
        current = container;
    }
}

void BasicsWidgets::setModal(QDialog *dialog, bool modal)
{
    if (!dialog || dialog->isModal() == modal)
        return;
    const QPoint position = dialog->pos();
    dialog->hide();
    dialog->move(position);
    dialog->setModal(modal);
    dialog->show();
}

void BasicsWidgets::setSplashMessage(const QString &message)
{
    if (QSplashScreen *splash = Basics::splashScreen)
        splash->showMessage(QLatin1String("  >> ") + message, Qt::AlignLeft | Qt::AlignBottom,
                            QColor(0, 159, 227, 255));
}
