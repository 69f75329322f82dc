#pragma once

// Read and write locks held for one scope. A null lock makes the guard do
// nothing. The guard notes in the lowest bit of its stored pointer that it
// holds the lock, and releases only what it took.

#include <basicsdll_export.h>

#include <QReadWriteLock>
#include <QtGlobal>

/// Holds a read lock for one scope.
class BASICSDLL_EXPORT MyReadLocker
{
public:
    /// Locks \a lock for reading; a null lock makes the guard do nothing.
    explicit MyReadLocker(QReadWriteLock *lock);
    /// Unlocks what the constructor locked.
    ~MyReadLocker();

    MyReadLocker(const MyReadLocker &) = delete;
    MyReadLocker &operator=(const MyReadLocker &) = delete;

private:
    quintptr m_lock;
};

/// Holds a write lock for one scope.
class BASICSDLL_EXPORT MyWriteLocker
{
public:
    /// Locks \a lock for writing; a null lock makes the guard do nothing.
    explicit MyWriteLocker(QReadWriteLock *lock);
    /// Unlocks what the constructor locked.
    ~MyWriteLocker();

    MyWriteLocker(const MyWriteLocker &) = delete;
    MyWriteLocker &operator=(const MyWriteLocker &) = delete;

private:
    quintptr m_lock;
};
