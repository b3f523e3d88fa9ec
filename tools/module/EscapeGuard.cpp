#include "EscapeGuard.h"

void EscapeGuard::restart(qint64 nowMs)
{
    m_lastByteMs = nowMs;
    m_pluses = 0;
}

void EscapeGuard::received(const QByteArray& bytes, qint64 nowMs)
{
    for (const char byte : bytes) {
        const bool silentBefore = nowMs - m_lastByteMs >= m_guardMs;
        if (byte != '+')
            m_pluses = 0;
        else if (m_pluses == 0)
            m_pluses = silentBefore ? 1 : 0;
        else if (m_pluses < 3 && !silentBefore)
            ++m_pluses;
        else
            m_pluses = silentBefore ? 1 : 0; // a fourth '+', or one after a pause, starts anew
        m_lastByteMs = nowMs;
    }
}

bool EscapeGuard::escaped(qint64 nowMs) const
{
    return m_pluses == 3 && nowMs - m_lastByteMs >= m_guardMs;
}

qint64 EscapeGuard::escapeDueMs() const { return m_pluses == 3 ? m_lastByteMs + m_guardMs : -1; }
