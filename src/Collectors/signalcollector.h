#pragma once

// SignalCollector: coalesces change notifications.
//
// Code that changes many things brackets the work; every trigger inside the
// bracket is remembered instead of emitted, and when the outermost bracket
// closes one single triggered(value, level) carries all distinct values and
// the highest level:
//
//     {
//         AutoSignalCollector bracket(&collector);   // increment()
//         collector.trigger(surfaceA, 1);
//         collector.trigger(surfaceA, 3);            // same value: stored once
//         collector.trigger(surfaceB, 2);
//     }                                              // decrement(): one
//                                                    // triggered([A, B], 3)
//
// Rules:
//  - Outside any bracket (mode Collect), trigger() emits at once.
//  - Consecutive equal values (QVariant equality) are stored once; A, A, B, A
//    gives A, B, A.
//  - A flush of one remembered value emits that bare value; of several, a
//    QVariantList in collection order. The level is the highest remembered
//    level, but never below -1000.
//  - Mode Block drops every trigger (no signal at all); mode PassThrough
//    emits every trigger at once. Changing the mode never flushes:
//    remembered triggers wait for the next closing decrement(); reset()
//    throws them away.
//  - Extra decrement() calls are harmless: depth never stays below 0.
//  - changed() follows every change of the state.
//
// While triggered() of a flush is being emitted, depth() and triggerCount()
// are already 0, values() and maxLevel() still hold what is being flushed;
// they are cleared after the emission. Receivers should therefore not
// collect new triggers on the same collector from within that emission.
//
// triggered has default arguments, so receivers may connect to
// "triggered(QVariant,int)", "triggered(QVariant)" or "triggered()".
//
// Memory: like a vector that keeps its capacity, a collector keeps the
// elements of its last flushed list (emptied, so no value outlives the
// flush) for the next bracket, unless a receiver kept that list; reset()
// releases them.
//
// A collector is used on one thread at a time. s_instanceCounter counts the
// live collectors and changes atomically, so collectors may be created and
// destroyed on any thread.

#include <basicsdll_export.h>

#include <QObject>
#include <QVariant>
#include <QVariantList>

#include <atomic>

/// Coalesces change notifications across nested brackets (see the top of
/// this header).
class BASICSDLL_EXPORT SignalCollector : public QObject
{
    Q_OBJECT

public:
/// What trigger() does.
    enum Mode : int {
        Collect = 0,    ///< remember triggers inside brackets, emit at once outside
        Block = 1,      ///< drop every trigger
        PassThrough = 2 ///< emit every trigger at once
    };
    Q_ENUM(Mode)

/// What trigger() did with a value.
    enum TriggerResult : int { Emitted = 0, Collected = 1, Ignored = 2 };
    Q_ENUM(TriggerResult)

    /// The level of an empty collection.
    static constexpr int lowestLevel = -1000;

    /// Object name "SignalCollector"; counts itself in s_instanceCounter.
    explicit SignalCollector(QObject *parent = nullptr);
    ~SignalCollector() override;

    /// Stores \a mode, emits changed() and returns the previous mode.
    Mode setMode(Mode mode);
    /// Back to the initial state (depth 0, mode Collect, nothing
    /// remembered) without emitting what was remembered; emits changed().
    void reset();

    /// Triggers remembered since the last flush.
    int triggerCount() const { return m_triggerCount; }
    /// Bracket nesting depth.
    int depth() const { return m_depth; }
/// The current mode.
    Mode mode() const { return m_mode; }
    /// Highest remembered level; lowestLevel when nothing is remembered.
    int maxLevel() const { return m_maxLevel; }
    /// Remembered values, consecutive duplicates stored once.
    QVariantList values() const;

    /// Number of live collectors.
    static int s_instanceCounter;

signals:
/// A flushed notification: one value, or a QVariantList of several, and
/// the highest level remembered.
    void triggered(const QVariant &value = QVariant(), int level = 0);
/// The mode, depth or remembered state changed.
    void changed();

public slots:
    /// Opens a bracket.
    void increment();
    /// Closes a bracket; the outermost one flushes.
    void decrement();
    // Qualified, so that the meta-object knows the registered result type.
/// Emits, remembers or drops \a value with \a level, by the mode and the
/// bracket depth.
    SignalCollector::TriggerResult trigger(const QVariant &value, int level);

protected:
/// Counts the connections to changed().
    void connectNotify(const QMetaMethod &signal) override;
/// Counts the connections to changed().
    void disconnectNotify(const QMetaMethod &signal) override;

private:
    void remember(const QVariant &value);
    void releaseValues();

    int m_triggerCount = 0;
    int m_depth = 0;
    Mode m_mode = Collect;
    int m_maxLevel = lowestLevel;
    // The first m_valueCount elements are the remembered values; the rest
    // are empty variants kept from the last flush, so that collecting the
    // next bracket reuses the list's elements instead of allocating one per
    // value (a QVariantList allocates every element on its own).
    QVariantList m_values;
    int m_valueCount = 0;
    // Connections to changed(), at least: trigger() skips emitting it when
    // there are none.
    std::atomic<int> m_changedListeners{0};
};

/// Brackets the scope it lives in: increment() on construction,
/// decrement() on destruction. A null collector is left alone.
class BASICSDLL_EXPORT AutoSignalCollector
{
public:
/// Opens a bracket on \a collector (may be null).
    explicit AutoSignalCollector(SignalCollector *collector);
    ~AutoSignalCollector();

    AutoSignalCollector(const AutoSignalCollector &) = delete;
    AutoSignalCollector &operator=(const AutoSignalCollector &) = delete;

private:
    SignalCollector *m_collector;
};
