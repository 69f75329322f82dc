#include "Guards/signalblocker.h"

SignalBlocker::SignalBlocker(QObject *object, BlockMode mode)
    : m_object(object)
{
    if (!object)
        return;
    const bool wasBlocked = object->blockSignals(mode == BlockSignals);
    m_wasUnblocked = wasBlocked ? 0 : 1;
}

SignalBlocker::~SignalBlocker()
{
    if (m_object)
        m_object->blockSignals(m_wasUnblocked == 0);
}
