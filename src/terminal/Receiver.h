#pragma once

#include "TerminalState.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

class CaptureControl;
class HandlerGate;
class PortControl;
class Serial_io;
class ShownTexts;
class TerminalListModel;
class UserPrompts;

// The receiver: Timer1Timer, the receive tick, takes what the module sent from the driver,
// renders it into the terminal list (and the capture), and keeps the port open through
// port control.
//
// A received byte: Serial_io::c_arrived hands the tick a block and tells how the read went →
// runPass → ByteRendering → the list model (AddtoList); the view publishes the list once a
// frame. What a tick had no time for stays in the block until the next one. A failed read is
// the receiver's to tell; what was read from a port that has closed since, it drops.
//
// Timer1 runs the ticks, one every 10 ms while there is work for them. When a tick finds the
// open port quiet, the ticks that follow would do nothing but count towards the next port
// check; the timer then sleeps through them, until the port has bytes (or a failure) to tell
// of, the port check is due, or a handler changes what the ticks must do. The sleep stands
// for the ticks it replaced, so the port is still checked about twice a second, and bytes
// that arrive meanwhile are taken at once rather than on the next 10 ms mark. A window with
// its port open and quiet thus wakes twice a second rather than a hundred times. While it
// ticks, the port is not watched between ticks, so a stream of short lines wakes the window
// once a tick rather than once a line.
class Receiver : public QObject {
    Q_OBJECT
public:
    struct Parts {
        const TerminalState& state;
        Serial_io& io;
        HandlerGate& gate;
        TerminalListModel& list;
        PortControl& port;
        CaptureControl& capture;
        ShownTexts& shown;
        UserPrompts& prompts;
    };
    static constexpr int tickMs = 10;
    // More than a 921600-baud line brings in a tick, less than a pseudo-terminal holds.
    static constexpr qsizetype floodBytesPerTick = 2048;

    explicit Receiver(Parts parts);

    // Timer1 starts ticking; the window starts it once it is built.
    void startTicking();
    // For good: nothing wakes it again, and the port is watched as when nobody reads on a tick.
    void stopTicking();

    void Timer1Timer();
    // Clears the terminal list, and the escape sequence that was to change it.
    void Clear1Click();

    // The ticks from now that would do nothing but count towards the next port check, as
    // long as no byte arrives: none unless the last tick ran and found the open port quiet,
    // and none while the capture prompt counts down. Timer1 sleeps through them.
    int quietTicksAhead() const;
    // Counts ticks that were not run because they would have been quiet.
    void skipQuietTicks(int ticks);
    // The bytes the last tick took.
    qsizetype lastTickBytes() const { return m_lastTickBytes; }
    // Receive ticks so far, run or slept through as quiet: the terminal's own clock, 10 ms a
    // tick, by which the capture tells how long its writes have gone well.
    qint64 ticksSoFar() const { return m_ticksSoFar; }
    // Whether bytes the driver handed over still wait for a tick to take them.
    bool holdsUntakenBytes() const;
    // Receive work one tick may do before it yields to the window: it takes everything
    // that has arrived, as long as this lasts.
    struct TickBudget {
        int milliseconds = 8;
    };
    void setTickBudget(TickBudget budget) { m_budget = budget; }

signals:
    // Asks the view to put this line at its top (as far as it can scroll).
    void scrollRequested(int topLine);

private:
    // Timer1's turn: the tick, with the quiet ticks it slept through counted first.
    void tick();
    void sleepOrTick();
    // The next tick runs as soon as the event loop turns.
    void wake();
    // The ticks the sleep so far stood for.
    int ticksSlept() const;

    // Drops what was read from a port that has closed since: the rest of its block and an
    // escape sequence begun on it.
    void forgetClosedPort();
    bool portClosedSinceRead() const;
    // Tells a person, after the tick, that a read raised an error.
    void tellReadFailed();

    bool runPasses();
    QByteArrayView untakenBytes();
    qsizetype runPass(QByteArrayView bytes);
    qsizetype ordinaryRunLength(QByteArrayView bytes) const;
    void showRun(QByteArrayView run);
    void runControlPass(int byte);
    qsizetype takeEscape(QByteArrayView bytes);
    void endLine(const QString& passText);
    void scroll();

    const TerminalState& m_state;
    Serial_io& m_io;
    HandlerGate& m_gate;
    TerminalListModel& m_list;
    PortControl& m_port;
    CaptureControl& m_capture;
    ShownTexts& m_shown;
    UserPrompts& m_prompts;

    QTimer m_timer;
    QElapsedTimer m_asleepSince;
    int m_ticksToSleep = 0;
    bool m_stopped = false;
    bool m_readFailureQueued = false;

    TickBudget m_budget;
    int m_pollCount = 0;
    bool m_lastTickQuiet = false;
    qsizetype m_lastTickBytes = 0;
    qint64 m_ticksSoFar = 0;
    // The start of an escape sequence whose rest has not arrived yet. It belongs to the
    // port it came from and to the list it was to change: closing the one or clearing the
    // other drops it.
    QByteArray m_pendingEscape;
    // The block the driver handed over last, taken up to `m_blockTaken`; it belongs to the
    // port it came from, the one open after the driver's `m_portClosesSeen`-th close.
    QByteArray m_block;
    qsizetype m_blockTaken = 0;
    int m_portClosesSeen = 0;
    // The text of a run of received bytes, kept to be reused by the next run.
    QByteArray m_runText;
};
