#include "Collectors/signalcollector.h"

#include <QtGlobal>

int SignalCollector::s_instanceCounter = 0;

SignalCollector::SignalCollector(QObject *parent)
    : QObject(parent)
{
    setObjectName(QStringLiteral("SignalCollector"));
    // The counter stays a plain int for the applications that read it; the
    // compiler's atomic operations keep concurrent updates exact.
    __atomic_add_fetch(&s_instanceCounter, 1, __ATOMIC_SEQ_CST);
}

SignalCollector::~SignalCollector()
{
    __atomic_sub_fetch(&s_instanceCounter, 1, __ATOMIC_SEQ_CST);
}

SignalCollector::Mode SignalCollector::setMode(Mode mode)
{
    const Mode previous = m_mode;
    m_mode = mode;
    emit changed();
    return previous;
}

void SignalCollector::reset()
{
    m_triggerCount = 0;
    m_depth = 0;
    m_mode = Collect;
    m_maxLevel = lowestLevel;
    m_values.clear();
    emit changed();
}

void SignalCollector::increment()
{
    ++m_depth;
    emit changed();
}

void SignalCollector::decrement()
{
    if (m_depth - 1 > 0) {
        --m_depth;
        emit changed();
        return;
    }

    m_depth = 0;
    if (m_triggerCount <= 0) {
        emit changed();
        return;
    }

    m_triggerCount = 0;
    // A copy: a receiver may reset() the collector while the signal is out,
    // and the receivers after it must still get the flushed value.
    const QVariant flushed = m_values.size() == 1 ? m_values.first() : QVariant(m_values);
    emit triggered(flushed, m_maxLevel);
    m_values.clear();
    m_maxLevel = lowestLevel;
    emit changed();
}

SignalCollector::TriggerResult SignalCollector::trigger(const QVariant &value, int level)
{
    if (m_mode == Block)
        return Ignored;
    if (m_mode == PassThrough || m_depth <= 0) {
        emit triggered(value, level);
        return Emitted;
    }

    ++m_triggerCount;
    if (m_values.isEmpty() || m_values.last() != value)
        m_values.append(value);
    m_maxLevel = qMax(m_maxLevel, level);
    emit changed();
    return Collected;
}

AutoSignalCollector::AutoSignalCollector(SignalCollector *collector)
    : m_collector(collector)
{
    if (m_collector)
        m_collector->increment();
}

AutoSignalCollector::~AutoSignalCollector()
{
    if (m_collector)
        m_collector->decrement();
}
