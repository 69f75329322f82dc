#include "Guards/lockers.h"

namespace {

constexpr quintptr s_heldBit = 1;

QReadWriteLock *lockOf(quintptr stored)
{
    return reinterpret_cast<QReadWriteLock *>(stored & ~s_heldBit);
}

void release(quintptr &stored)
{
    if (stored != 0 && (stored & s_heldBit)) {
        stored &= ~s_heldBit;
        lockOf(stored)->unlock();
    }
}

} // namespace

MyReadLocker::MyReadLocker(QReadWriteLock *lock)
    : m_lock(reinterpret_cast<quintptr>(lock))
{
    if (m_lock != 0 && !(m_lock & s_heldBit)) {
        lock->lockForRead();
        m_lock |= s_heldBit;
    }
}

MyReadLocker::~MyReadLocker()
{
    release(m_lock);
}

MyWriteLocker::MyWriteLocker(QReadWriteLock *lock)
    : m_lock(reinterpret_cast<quintptr>(lock))
{
    if (m_lock != 0 && !(m_lock & s_heldBit)) {
        lock->lockForWrite();
        m_lock |= s_heldBit;
    }
}

MyWriteLocker::~MyWriteLocker()
{
    release(m_lock);
}
