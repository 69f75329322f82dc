#pragma once

// Progress of a long operation on the taskbar button of a window.
//
//     auto *progress = new TaskbarProgress(this);   // this: any widget
//     progress->setMaximum(files.size());
//     progress->show();
//     for (int i = 0; i < files.size(); ++i) {
//         convert(files[i]);
//         progress->setValue(i + 1);               // or connect a signal
//     }
//     progress->hide();
//
// Like a progress bar, the object keeps a minimum, a maximum and a value,
// and shows the value as a whole percentage (0 to 100) of the range:
// - Windows: on the taskbar button of the widget's top-level window,
//   through the shell's ITaskbarList3;
// - Linux: on the application's launcher entry (docks and task managers
//   that read the com.canonical.Unity.LauncherEntry signal on the D-Bus
//   session bus), as "progress" 0..1 for the application named by
//   QGuiApplication::desktopFileName(), else by the application name.
// Without a widget, without a taskbar or without a session bus the object
// still keeps and clamps its numbers and sends nothing.
//
// GUI thread only: create, use and destroy the object on the thread that
// owns the window.

#include <basicsdll_export.h>

#include <QObject>
#include <QWidget>

#include <memory>

/// The shell's taskbar interface (Windows); only ever null elsewhere.
struct ITaskbarList3;

namespace Platform {
class TaskbarSession;
}

/// Taskbar progress of one window.
class BASICSDLL_EXPORT TaskbarProgress : public QObject
{
    Q_OBJECT

public:
    /// Shows progress on the taskbar button of \a widget's top-level window
    /// (taken once, now), which also becomes the parent. With a null
    /// \a widget nothing is ever shown.
    explicit TaskbarProgress(QWidget *widget);
    ~TaskbarProgress() override;

    TaskbarProgress(const TaskbarProgress &) = delete;
    TaskbarProgress &operator=(const TaskbarProgress &) = delete;

    /// The lower end of the range; initially 0.
    int minimum() const;
    /// The upper end of the range; initially 100.
    int maximum() const;
    /// The value, always within the range; initially 0.
    int value() const;

    /// The shell's taskbar interface for further taskbar functions, owned
    /// by this object; null when it could not be created and on every
    /// system but Windows.
    ITaskbarList3 *getTaskbarPtr() const;

public slots:
    /// Sets the lower end. Like every setter: an equal value does nothing;
    /// otherwise the ends are swapped when the maximum lies below the
    /// minimum, the value is clamped into the range, and the percentage
    /// (truncated toward zero) is shown. An empty range (minimum equal to
    /// maximum) shows 0 %.
    void setMinimum(int minimum);
    /// Sets the upper end; see setMinimum().
    void setMaximum(int maximum);
    /// Sets the value (clamped into the range); see setMinimum().
    void setValue(int value);
    /// Shows the progress display when \a visible, removes it otherwise.
    /// Values are sent whether it shows or not.
    void setVisible(bool visible);
    /// setVisible(true).
    void show();
    /// setVisible(false).
    void hide();

private:
    void update();

    WId m_window = 0;
    std::unique_ptr<Platform::TaskbarSession> m_taskbar;
    int m_minimum = 0;
    int m_maximum = 100;
    int m_value = 0;
};
