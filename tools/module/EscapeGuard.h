#pragma once

#include <QByteArray>
#include <QtGlobal>

// Watches data mode for the escape "+++": three '+' after a silence of the guard time, none
// of them further apart than the guard time, followed by another silence of the guard time.
// Any other byte, or a fourth '+', calls it off.
class EscapeGuard {
public:
    explicit EscapeGuard(int guardMs) : m_guardMs(guardMs) {}

    // Data mode starts: the line counts as silent from now.
    void restart(qint64 nowMs);
    void received(const QByteArray& bytes, qint64 nowMs);
    // True once the silence after a complete "+++" has lasted the guard time.
    bool escaped(qint64 nowMs) const;
    // When escaped() will turn true if nothing more arrives; -1 when no escape is pending.
    qint64 escapeDueMs() const;

private:
    int m_guardMs;
    qint64 m_lastByteMs = 0;
    int m_pluses = 0; // '+' counted since a long enough silence
};
