#include "Widgets/dimmer.h"

#include <QWidget>

#include <algorithm>
#include <cmath>

namespace {

double clampedTarget(double targetOpacity)
{
    if (targetOpacity > 1)
        return 1;
    if (!(targetOpacity > 0)) // NaN too
        return 0;
    return targetOpacity;
}

// The toolkit keeps a window's opacity as a whole number of 255ths.
constexpr double opacityResolution = 1.0 / 255;

} // namespace

Dimmer::Dimmer(QWidget *widget, double targetOpacity, double step)
    : QTimer(widget)
    , m_targetOpacity(clampedTarget(targetOpacity))
    , m_step(step)
{
    if (!widget || step == 0 || std::isnan(step))
        return;
    // Compared unclamped, so that a target of 1.7 on a window at opacity 1
    // still counts as "up" (and the first tick just confirms 1).
    m_step = targetOpacity >= widget->windowOpacity() ? std::fabs(step) : -std::fabs(step);
    setObjectName(QStringLiteral("dimmer"));
    setInterval(20);
    setSingleShot(false);
    connect(this, &QTimer::timeout, this, &Dimmer::onTimeout);
    start();
}

Dimmer *Dimmer::startDimming(QWidget *widget, double targetOpacity, double step,
                             double startOpacity)
{
    if (!widget)
        return nullptr;
    const QList<Dimmer *> running = widget->findChildren<Dimmer *>(QStringLiteral("dimmer"),
                                                                   Qt::FindDirectChildrenOnly);
    for (Dimmer *dimmer : running) {
        dimmer->stop();
        delete dimmer;
    }
    if (startOpacity >= 0 && startOpacity <= 1)
        widget->setWindowOpacity(startOpacity);
    return new Dimmer(widget, targetOpacity, step);
}

void Dimmer::onTimeout()
{
    QWidget *widget = qobject_cast<QWidget *>(parent());
    if (!widget)
        return;
    double current = widget->windowOpacity();
    // Continue from our own unrounded value while the window still shows
    // it; a value set by someone else in between wins.
    if (m_lastOpacity >= 0 && std::fabs(current - m_lastOpacity) < opacityResolution)
        current = m_lastOpacity;
    const double next = m_step > 0 ? std::min(current + m_step, m_targetOpacity)
                                   : std::max(current + m_step, m_targetOpacity);
    widget->setWindowOpacity(next);
    m_lastOpacity = next;
    if (next == m_targetOpacity) {
        stop(); // no further tick before the deletion
        deleteLater();
    }
}
