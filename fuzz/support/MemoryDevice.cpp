#include "MemoryDevice.h"

bool MemoryLine::take(unsigned char* byte)
{
    if (waiting() == 0)
        return false;
    *byte = static_cast<unsigned char>(m_waiting[m_served++]);
    if (m_served == m_waiting.size()) {
        m_waiting.clear();
        m_served = 0;
    }
    return true;
}

SerialDevice::ReadOutcome MemoryDevice::readByte(unsigned char* byte, int)
{
    return m_line->take(byte) ? ReadOutcome::Byte : ReadOutcome::Nothing;
}
