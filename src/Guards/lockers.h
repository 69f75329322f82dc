#pragma once

// Read and write locks held for one scope. A null lock makes the guard do
// nothing. The guard notes in the lowest bit of its stored pointer that it
// holds the lock, and releases only what it took.

#include <basicsdll_export.h>

#include <QReadWriteLock>
#include <QtGlobal>

class BASICSDLL_EXPORT MyReadLocker
{
public:
    explicit MyReadLocker(QReadWriteLock *lock);
    ~MyReadLocker();

    MyReadLocker(const MyReadLocker &) = delete;
    MyReadLocker &operator=(const MyReadLocker &) = delete;

private:
    quintptr m_lock;
};

class BASICSDLL_EXPORT MyWriteLocker
{
public:
    explicit MyWriteLocker(QReadWriteLock *lock);
    ~MyWriteLocker();

    MyWriteLocker(const MyWriteLocker &) = delete;
    MyWriteLocker &operator=(const MyWriteLocker &) = delete;

private:
    quintptr m_lock;
};
