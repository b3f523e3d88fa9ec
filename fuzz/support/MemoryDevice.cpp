#include "MemoryDevice.h"

bool MemoryLine::takeAll(QByteArray& bytes)
{
    if (waiting() == 0)
        return false;
    bytes.append(QByteArrayView(m_waiting).sliced(m_served));
    m_waiting.clear();
    m_served = 0;
    return true;
}

SerialDevice::ReadOutcome MemoryDevice::read(QByteArray& bytes, int)
{
    return m_line->takeAll(bytes) ? ReadOutcome::Bytes : ReadOutcome::Nothing;
}
