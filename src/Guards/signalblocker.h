#pragma once

// SignalBlocker: blocks (or unblocks) the signals of an object for one scope
// and puts the previous state back at its end, if the object still exists.

#include <basicsdll_export.h>

#include <QObject>
#include <QPointer>

/// Blocks or unblocks an object's signals for one scope.
class BASICSDLL_EXPORT SignalBlocker
{
public:
    /// What the guard does to the object's signals inside the scope.
    enum BlockMode {
        BlockSignals = 0,  ///< no signals from the object inside the scope
        UnblockSignals = 1 ///< signals pass inside the scope (any value but 0)
    };

    /// A null \a object makes the guard do nothing at either end.
    SignalBlocker(QObject *object, BlockMode mode = BlockSignals);
    /// Puts the previous blocking state back if the object still exists.
    ~SignalBlocker();

    SignalBlocker(const SignalBlocker &) = delete;
    SignalBlocker &operator=(const SignalBlocker &) = delete;

private:
    QPointer<QObject> m_object;
    int m_wasUnblocked = 1;
};
