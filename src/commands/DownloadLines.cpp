#include "DownloadLines.h"

#include "Ascii.h"

#include <algorithm>

namespace commands {

namespace {
constexpr char LF = ascii::LF;
constexpr char CR = ascii::CR;
constexpr char endOfFile = ascii::SUB;
} // namespace

bool DownloadLines::take(QByteArrayView bytes, const LineHandler& onLine)
{
    // Runs of ordinary bytes are taken whole: a file is measured and sent at the speed of a
    // scan, not of a call per byte.
    const auto ordinary = [](char byte) { return byte != LF && byte != CR && byte != endOfFile; };
    const char* const end = bytes.data() + bytes.size();
    for (const char* at = bytes.data(); at != end && !m_ended;) {
        const char* const runEnd = std::find_if_not(at, end, ordinary);
        addToLine(QByteArrayView(at, runEnd));
        if (runEnd == end || m_ended)
            break;
        switch (*runEnd) {
        case endOfFile: finish(onLine); break;
        case LF:
            onLine(m_line);
            m_line.resize(0); // keeps its room for the next line
            m_lineStarted = false;
            break;
        default: m_lineStarted = true; break; // CR
        }
        at = runEnd + 1;
    }
    return !m_ended;
}

void DownloadLines::addToLine(QByteArrayView run)
{
    if (run.isEmpty())
        return;
    if (m_line.size() + run.size() > longestLine) {
        m_overlong = true;
        m_ended = true;
        m_line.clear();
        return;
    }
    m_line.append(QLatin1StringView(run));
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
