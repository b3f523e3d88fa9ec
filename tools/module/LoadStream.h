#pragma once

#include <QByteArray>
#include <QtGlobal>
#include <limits>

// The load mode: numbered lines at a fixed rate, for benchmarks. Line n (from 1) is its
// number in eight digits, a blank, letters up to the line length, then CR LF; the line
// length counts everything, CR LF included.
class LoadStream {
public:
    LoadStream(double linesPerSecond, int lineLength, qint64 lineCount /* 0: no end */);

    void start(qint64 nowMs) { m_startMs = nowMs; }
    // The lines due by now that have not been taken yet, as many as fit in `room` bytes (at
    // least one): a line that could not go out waits, and the stream catches up later.
    QByteArray takeDue(qint64 nowMs, qsizetype room = std::numeric_limits<qsizetype>::max());
    // When the next line is due; -1 once every line has gone.
    qint64 nextDueMs() const;
    bool finished() const { return m_lineCount > 0 && m_sent >= m_lineCount; }
    qint64 linesSent() const { return m_sent; }

    static QByteArray line(qint64 number, int length);
    static constexpr int shortestLine = 11; // eight digits, a blank, CR LF

private:
    double m_linesPerSecond;
    int m_lineLength;
    qint64 m_lineCount;
    qint64 m_startMs = 0;
    qint64 m_sent = 0;
};
