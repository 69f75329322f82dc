#include "TaskbarProgress/taskbarprogress.h"

#include "Platform/taskbar.h"

#include <QGuiApplication>

#include <algorithm>
#include <cstdint>

namespace {

// The desktop file name the launcher knows the application by.
std::string applicationId()
{
    QString name = QGuiApplication::desktopFileName();
    if (name.endsWith(QLatin1String(".desktop")))
        name.chop(8);
    if (name.isEmpty())
        name = QCoreApplication::applicationName();
    if (name.isEmpty())
        name = QStringLiteral("application");
    return name.toStdString();
}

} // namespace

TaskbarProgress::TaskbarProgress(QWidget *widget)
    : QObject(widget)
{
    if (widget)
        m_window = widget->window()->winId();
    m_taskbar = Platform::Taskbar::instance().open(applicationId());
    if (!m_taskbar) // a scripted taskbar may have none to give
        m_taskbar = Platform::Taskbar::nullTaskbar().open(std::string());
}

TaskbarProgress::~TaskbarProgress() = default;

int TaskbarProgress::minimum() const
{
    return m_minimum;
}

int TaskbarProgress::maximum() const
{
    return m_maximum;
}

int TaskbarProgress::value() const
{
    return m_value;
}

ITaskbarList3 *TaskbarProgress::getTaskbarPtr() const
{
    return static_cast<ITaskbarList3 *>(m_taskbar->nativeInterface());
}

void TaskbarProgress::setMinimum(int minimum)
{
    if (minimum == m_minimum)
        return;
    m_minimum = minimum;
    update();
}

void TaskbarProgress::setMaximum(int maximum)
{
    if (maximum == m_maximum)
        return;
    m_maximum = maximum;
    update();
}

void TaskbarProgress::setValue(int value)
{
    if (value == m_value)
        return;
    m_value = value;
    update();
}

void TaskbarProgress::setVisible(bool visible)
{
    if (m_window && m_taskbar->isAvailable())
        m_taskbar->setProgressState(Platform::NativeWindow(m_window), visible);
}

void TaskbarProgress::show()
{
    setVisible(true);
}

void TaskbarProgress::hide()
{
    setVisible(false);
}

void TaskbarProgress::update()
{
    if (m_maximum < m_minimum)
        std::swap(m_minimum, m_maximum);
    m_value = std::max(std::min(m_value, m_maximum), m_minimum);
    if (!m_window || !m_taskbar->isAvailable())
        return;
    // In double, so that even INT_MIN..INT_MAX neither overflows nor loses
    // a step; an empty range has no percentage and shows 0.
    std::uint64_t percent = 0;
    if (m_maximum != m_minimum)
        percent = std::uint64_t((double(m_value) - double(m_minimum)) * 100.0
                                / (double(m_maximum) - double(m_minimum)));
    m_taskbar->setProgressValue(Platform::NativeWindow(m_window), percent, 100);
}
