#include "Collectors/signalcollector.h"

#include <QMetaMethod>
#include <QtGlobal>

int SignalCollector::s_instanceCounter = 0;

namespace {

// QVariant equality, answered directly for the common case of two values of
// the same simple type: trigger() compares every value it remembers. The
// variant's own data (type and inline value) is read in place; the calls
// userType() and constData() would cost more than the comparison.
bool sameValue(const QVariant &a, const QVariant &b)
{
    const QVariant::Private &x = a.data_ptr();
    const QVariant::Private &y = b.data_ptr();
    if (x.type == y.type && !x.is_shared && !y.is_shared && !x.is_null && !y.is_null) {
        switch (x.type) {
        case QMetaType::Int:
            return x.data.i == y.data.i;
        case QMetaType::UInt:
            return x.data.u == y.data.u;
        case QMetaType::LongLong:
            return x.data.ll == y.data.ll;
        case QMetaType::ULongLong:
            return x.data.ull == y.data.ull;
        case QMetaType::Bool:
            return x.data.b == y.data.b;
        case QMetaType::QString:
            return *static_cast<const QString *>(a.constData())
                   == *static_cast<const QString *>(b.constData());
        default:
            break;
        }
    }
    return a == b;
}

// Whether emptying the variant would release anything: not for the plain
// numbers and flags a variant holds in place.
bool holdsResources(const QVariant &value)
{
    const QVariant::Private &d = value.data_ptr();
    if (d.is_shared)
        return true;
    switch (d.type) {
    case QMetaType::UnknownType:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Bool:
    case QMetaType::Double:
    case QMetaType::Float:
        return false;
    default:
        return true;
    }
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
    m_valueCount = 0;
    emit changed();
}

QVariantList SignalCollector::values() const
{
    return m_valueCount == m_values.size() ? m_values : m_values.mid(0, m_valueCount);
}

void SignalCollector::remember(const QVariant &value)
{
    if (m_valueCount < m_values.size())
        m_values[m_valueCount] = value; // an element kept from the last flush
    else
        m_values.append(value);
    ++m_valueCount;
}

// After a flush: nothing is remembered. The elements stay for the next
// bracket, emptied so that no value outlives its flush, unless a receiver
// still shares the list (then it is the receiver's, and a new one grows).
void SignalCollector::releaseValues()
{
    m_valueCount = 0;
    if (!m_values.isDetached()) {
        m_values.clear();
        return;
    }
    for (QVariant &value : m_values) {
        if (holdsResources(value))
            value = QVariant();
    }
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
    if (m_values.size() > m_valueCount) // elements kept beyond this bracket's values
        m_values.erase(m_values.begin() + m_valueCount, m_values.end());
    {
        // A copy: a receiver may reset() the collector while the signal is
        // out, and the receivers after it must still get the flushed value.
        const QVariant flushed = m_valueCount == 1 ? m_values.first() : QVariant(m_values);
        emit triggered(flushed, m_maxLevel);
    }
    releaseValues();
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
    if (m_valueCount == 0 || !sameValue(m_values.at(m_valueCount - 1), value))
        remember(value);
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
