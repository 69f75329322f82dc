#include "Identifier/identifier.h"

#include "Platform/securerandom.h"

#include <QMutexLocker>

#include <cstdint>
#include <cstdio>

QSet<quint64> Identifier::s_all;
QMutex Identifier::s_mutex;
QMap<quint64, quint64> Identifier::s_replacements;
bool Identifier::s_trackReplacements = false;
Identifier::CopyMode Identifier::s_copyMode = Identifier::NewID;
QList<Identifier::CopyMode> Identifier::s_copyModeStack;
quint64 Identifier::s_delta = 1;
QList<quint64> Identifier::s_deltaStack;
const quint64 Identifier::s_bitMask = Q_UINT64_C(0x0000FFFFFFFFFFFF);

namespace {

// QMutexLocker on s_mutex. Under ThreadSanitizer the hand-over of the
// toolkit's mutex is made visible to the tool, whose runtime cannot see
// inside the uninstrumented toolkit library.
#if defined(__SANITIZE_THREAD__)
extern "C" void __tsan_acquire(void *address);
extern "C" void __tsan_release(void *address);
class RegistryLock
{
public:
    RegistryLock()
    {
        Identifier::s_mutex.lock();
        __tsan_acquire(&Identifier::s_mutex);
    }
    ~RegistryLock()
    {
        __tsan_release(&Identifier::s_mutex);
        Identifier::s_mutex.unlock();
    }
};
#else
class RegistryLock
{
public:
    RegistryLock() : m_locker(&Identifier::s_mutex) {}

private:
    QMutexLocker m_locker;
};
#endif

// Draws until the id is free; s_mutex must be held. \a first is a draw made
// before the lock was taken, so that the common case (no collision) spends
// no time on the random source inside the lock.
quint64 drawUnregistered(quint64 first)
{
    quint64 id = first;
    while (Identifier::s_all.contains(id))
        id = Identifier::createID();
    return id;
}

} // namespace

Identifier::Identifier()
{
    const quint64 first = createID();
    RegistryLock lock;
    m_id = drawUnregistered(first);
    s_all.insert(m_id);
}

Identifier::Identifier(const Identifier &other, CopyMode mode, quint64 delta)
{
    switch (mode) {
    case KeepID:
        m_id = other.m_id;
        break;
    case OffsetID:
        m_id = (other.m_id + delta) & s_bitMask;
        break;
    case NewID:
    default:
        m_id = createID();
        break;
    }

    RegistryLock lock;
    if (s_trackReplacements && m_id != other.m_id)
        s_replacements.insert(other.m_id, m_id);
    s_all.insert(m_id);
}

Identifier::~Identifier()
{
    RegistryLock lock;
    s_all.remove(m_id);
}

void Identifier::setID(quint64 id, const QSet<quint64> &exclusions)
{
    const quint64 first = id != 0 ? 0 : createID();
    RegistryLock lock;
    quint64 candidate = id != 0 ? id : drawUnregistered(first);
    if (exclusions.contains(candidate)) {
        do {
            do {
                candidate = createID();
            } while (exclusions.contains(candidate));
        } while (s_all.contains(candidate));
    }
    s_all.remove(m_id);
    m_id = candidate;
    s_all.insert(m_id);
}

quint64 Identifier::createID()
{
    Platform::SecureRandom &random = Platform::SecureRandom::instance();
    quint64 id = 0;
    while (id == 0) {
        std::uint32_t drawn[2];
        random.fill(drawn, 2);
        id = quint64(drawn[0]) | (quint64(drawn[1] & 0xFFFFu) << 32);
    }
    return id;
}

QString Identifier::idToHexString(quint64 id)
{
    char text[26];
    char *out = text;
    *out++ = '[';
    for (int shift = 56; shift >= 0; shift -= 8) {
        std::snprintf(out, 3, "%02X", unsigned((id >> shift) & 0xFF));
        out += 2;
        *out++ = shift > 0 ? '|' : ']';
    }
    return QString::fromLatin1(text, 25);
}

int Identifier::numBits()
{
    return 48;
}

void Identifier::push()
{
    s_copyModeStack.append(s_copyMode);
    s_deltaStack.append(s_delta);
}

void Identifier::pop()
{
    if (s_copyModeStack.isEmpty() || s_deltaStack.isEmpty())
        return;
    s_copyMode = s_copyModeStack.takeLast();
    s_delta = s_deltaStack.takeLast();
}
