#include "LoadStream.h"

#include <algorithm>
#include <cmath>

LoadStream::LoadStream(double linesPerSecond, int lineLength, qint64 lineCount)
    : m_linesPerSecond(linesPerSecond), m_lineLength(std::max(lineLength, shortestLine)),
      m_lineCount(lineCount)
{
}

QByteArray LoadStream::line(qint64 number, int length)
{
    QByteArray text = QByteArray::number(number % 100000000).rightJustified(8, '0') + ' ';
    for (int i = 0; text.size() < length - 2; ++i)
        text.append(char('A' + i % 26));
    return text + "\r\n";
}

QByteArray LoadStream::takeDue(qint64 nowMs, qsizetype room)
{
    // Line n is due n / rate seconds after the start; the first goes at once.
    const qint64 due =
        qint64(std::floor(double(nowMs - m_startMs) * m_linesPerSecond / 1000.0)) + 1;
    const qint64 until = m_lineCount > 0 ? std::min(due, m_lineCount) : due;
    QByteArray lines;
    while (m_sent < until && (lines.isEmpty() || lines.size() + m_lineLength <= room))
        lines += line(++m_sent, m_lineLength);
    return lines;
}

qint64 LoadStream::nextDueMs() const
{
    if (finished())
        return -1;
    return m_startMs + qint64(std::ceil(double(m_sent) * 1000.0 / m_linesPerSecond));
}
