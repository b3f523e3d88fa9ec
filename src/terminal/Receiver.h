#pragma once

#include "TerminalState.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QObject>

class CaptureControl;
class HandlerGate;
class ListWriter;
class PortControl;
class Serial_io;
class ShownTexts;
class TerminalListModel;

// The receiver: Timer1Timer, the receive tick, takes what the module sent from the driver,
// renders it into the terminal list (and the capture), and keeps the port open through
// port control. ReceiveTicker runs the ticks, 10 ms apart while bytes come.
//
// A received byte: Serial_io::c_arrived hands the tick a block → runPass → ByteRendering →
// ListWriter → the list model; the view publishes the list once a frame. What a tick had no
// time for stays in the block until the next one.
class Receiver : public QObject {
    Q_OBJECT
public:
    struct Parts {
        const TerminalState& state;
        Serial_io& io;
        HandlerGate& gate;
        TerminalListModel& list;
        ListWriter& writer;
        PortControl& port;
        CaptureControl& capture;
        ShownTexts& shown;
    };
    explicit Receiver(Parts parts);

    void Timer1Timer();
    // Clears the terminal list, and the escape sequence that was to change it.
    void Clear1Click();
    // The port was closed: an escape sequence begun on it is dropped.
    void portClosed();

    // The ticks from now that would do nothing but count towards the next port check, as
    // long as no byte arrives: none unless the last tick ran and found the open port quiet,
    // and none while the capture prompt counts down. ReceiveTicker sleeps through them.
    int quietTicksAhead() const;
    // Counts ticks that were not run because they would have been quiet.
    void skipQuietTicks(int ticks);
    // The bytes the last tick took.
    qsizetype lastTickBytes() const { return m_lastTickBytes; }
    // Receive ticks so far, run or slept through as quiet: the terminal's own clock, 10 ms a
    // tick, by which the capture tells how long its writes have gone well.
    qint64 ticksSoFar() const { return m_ticksSoFar; }
    // Whether bytes the driver handed over still wait for a tick to take them.
    bool holdsUntakenBytes() const { return m_blockTaken < m_block.size(); }
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
    ListWriter& m_writer;
    PortControl& m_port;
    CaptureControl& m_capture;
    ShownTexts& m_shown;

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
    // port it came from.
    QByteArray m_block;
    qsizetype m_blockTaken = 0;
    // The text of a run of received bytes, kept to be reused by the next run.
    QByteArray m_runText;
};
