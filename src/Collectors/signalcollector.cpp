#include "Collectors/signalcollector.h"

#include <QMetaMethod>
#include <QtGlobal>

int SignalCollector::s_instanceCounter = 0;

namespace {

// QVariant equality, answered directly for the common case of two values of
// the same simple type: trigger() compares every value it remembers.
bool sameValue(const QVariant &a, const QVariant &b)
{
    const int type = a.userType();
    if (type == b.userType()) {
        const void *x = a.constData();
        const void *y = b.constData();
        switch (type) {
        case QMetaType::Int:
            return *static_cast<const int *>(x) == *static_cast<const int *>(y);
        case QMetaType::UInt:
            return *static_cast<const uint *>(x) == *static_cast<const uint *>(y);
        case QMetaType::LongLong:
            return *static_cast<const qlonglong *>(x) == *static_cast<const qlonglong *>(y);
        case QMetaType::ULongLong:
            return *static_cast<const qulonglong *>(x) == *static_cast<const qulonglong *>(y);
        case QMetaType::Bool:
            return *static_cast<const bool *>(x) == *static_cast<const bool *>(y);
        case QMetaType::QString:
            return *static_cast<const QString *>(x) == *static_cast<const QString *>(y);
        default:
            break;
        }
    }
    return a == b;
}

} // namespace

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
    if (m_values.isEmpty() || !sameValue(m_values.constLast(), value))
        m_values.append(value);
    m_maxLevel = qMax(m_maxLevel, level);
    // Collecting is the hot path: skip the emission while nobody listens.
    if (m_changedListeners.load(std::memory_order_relaxed) != 0)
        emit changed();
    return Collected;
}

void SignalCollector::connectNotify(const QMetaMethod &signal)
{
    if (signal == QMetaMethod::fromSignal(&SignalCollector::changed))
        m_changedListeners.fetch_add(1, std::memory_order_relaxed);
}

void SignalCollector::disconnectNotify(const QMetaMethod &signal)
{
    // An invalid method stands for "every signal": then it is unknown
    // whether changed() lost a listener, and the count stays on the safe side.
    if (signal == QMetaMethod::fromSignal(&SignalCollector::changed))
        m_changedListeners.fetch_sub(1, std::memory_order_relaxed);
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
