#include "Guards/staterestore.h"

#include <cstring>
#include <new>

StateRestore::StateRestore(void *target, int size)
{
    set(target, size);
}

StateRestore::StateRestore(bool &variable)
{
    set(&variable, int(sizeof variable));
}

StateRestore::StateRestore(int &variable)
{
    set(&variable, int(sizeof variable));
}

StateRestore::~StateRestore()
{
    if (m_saved && m_target && m_size > 0)
        std::memcpy(m_target, m_saved, std::size_t(m_size));
    delete[] m_saved;
}

void StateRestore::set(void *target, int size)
{
    if (!target || size <= 0)
        return;
    // The size is the caller's: a snapshot that does not fit in memory
    // leaves the guard as it was instead of throwing out of the library.
    char *saved = new (std::nothrow) char[std::size_t(size)];
    if (!saved)
        return;
    std::memcpy(saved, target, std::size_t(size));
    delete[] m_saved;
    m_saved = saved;
    m_target = target;
    m_size = size;
}
