#pragma once

// Reproducible incompressible data for tests and benchmarks.

#include <QByteArray>
#include <QRandomGenerator>

inline QByteArray randomBytes(int size, quint32 seed)
{
    QRandomGenerator generator(seed);
    QByteArray bytes(size, Qt::Uninitialized);
    for (char &byte : bytes)
        byte = char(generator.bounded(256));
    return bytes;
}
