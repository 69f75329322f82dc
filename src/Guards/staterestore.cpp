#include "Guards/staterestore.h"

#include <cstring>

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
    char *saved = new char[std::size_t(size)];
    std::memcpy(saved, target, std::size_t(size));
    delete[] m_saved;
    m_saved = saved;
    m_target = target;
    m_size = size;
}
