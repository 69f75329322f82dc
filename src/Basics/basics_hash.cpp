// A 64-bit text hash and random draws of distinct integers.

#include "Basics/basics.h"
#include "Basics/draws_p.h"

#include <QCryptographicHash>
#include <QtEndian>

#include <chrono>
#include <random>

quint64 BasicsPersistence::myHash(const QString &text)
{
    const QByteArray digest = QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Sha1);
    return qFromLittleEndian<quint64>(digest.constData());
}

namespace {

// Each draw seeds a fresh generator from the system's random device; should
// there be none, from the clock rather than throwing.
std::mt19937 seededGenerator()
{
    try {
        std::random_device device;
        return std::mt19937(device());
    } catch (...) {
        return std::mt19937(
            std::mt19937::result_type(std::chrono::high_resolution_clock::now().time_since_epoch().count()));
    }
}

} // namespace

int BasicsPersistence::lotto(int count, int range, QSet<int> &result)
{
    result.clear();
    if (range < 2 || count < 1)
        return 0;
    std::mt19937 generator = seededGenerator();
    return Draws::drawSet(count, range, result, generator);
}

int BasicsPersistence::lotto1(int count, int range, QList<int> &result)
{
    result.clear();
    if (range < 2 || count < 1)
        return 0;
    std::mt19937 generator = seededGenerator();
    return Draws::drawInOrder(count, range, result, generator);
}
