#include "DownloadLines.h"

namespace commands {

namespace {
constexpr char LF = 0x0A;
constexpr char CR = 0x0D;
constexpr char endOfFile = 0x1A;
} // namespace

bool DownloadLines::take(QByteArrayView bytes, const LineHandler& onLine)
{
    for (const char byte : bytes) {
        if (m_ended)
            break;
        switch (byte) {
        case endOfFile: finish(onLine); break;
        case LF:
            onLine(m_line);
            m_line.clear();
            m_lineStarted = false;
            break;
        case CR: m_lineStarted = true; break;
        default: addToLine(byte); break;
        }
    }
    return !m_ended;
}

void DownloadLines::addToLine(char byte)
{
    if (m_line.size() == longestLine) {
        m_overlong = true;
        m_ended = true;
        m_line.clear();
        return;
    }
    m_line.append(QChar(static_cast<unsigned char>(byte)));
    m_lineStarted = true;
}

void DownloadLines::finish(const LineHandler& onLine)
{
    if (m_ended)
        return;
    m_ended = true;
    if (m_lineStarted)
        onLine(m_line);
    m_line.clear();
}

} // namespace commands
