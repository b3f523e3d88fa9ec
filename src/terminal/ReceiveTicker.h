#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

class TerminalCore;

// Timer1: runs the receive ticks, one every 10 ms while there is work for them. When a tick finds
// the open port quiet, the ticks that follow would do nothing but count towards the next port
// check; the timer then sleeps through them, until the port has bytes (or a failure) to tell of,
// the port check is due, or a handler changes what the ticks must do. The sleep stands for the
// ticks it replaced, so the port is still checked about twice a second, and bytes that
// arrive meanwhile are taken at once rather than on the next 10 ms mark. A window with its
// port open and quiet thus wakes twice a second rather than a hundred times. While it ticks,
// the port is not watched between ticks, so a stream of short lines wakes the window once a
// tick rather than once a line.
class ReceiveTicker : public QObject {
    Q_OBJECT
public:
    static constexpr int tickMs = 10;
    // More than a 921600-baud line brings in a tick, less than a pseudo-terminal holds.
    static constexpr qsizetype floodBytesPerTick = 2048;

    ReceiveTicker(TerminalCore& core, QObject* parent = nullptr);
    // For good: nothing wakes it again.
    void stop();

private:
    void tick();
    void wake();
    void sleepOrTick();
    // The ticks the sleep so far stood for.
    int ticksSlept() const;

    TerminalCore& m_core;
    QTimer m_timer;
    QElapsedTimer m_asleepSince;
    int m_ticksToSleep = 0;
    bool m_stopped = false;
};
