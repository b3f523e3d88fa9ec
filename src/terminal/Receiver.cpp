#include "Receiver.h"

#include "AddressCapture.h"
#include "ByteRendering.h"
#include "CaptureControl.h"
#include "HandlerGate.h"
#include "ListWriter.h"
#include "PortControl.h"
#include "Serial_io.h"
#include "ShownTexts.h"
#include "TerminalListModel.h"

#include <QElapsedTimer>
#include <algorithm>
#include <utility>

namespace {
constexpr int ticksBetweenPortChecks = 50;
// Passes run between two looks at the clock: a look costs about as much as a short pass.
constexpr int passesBetweenClockChecks = 64;
// Ordinary bytes are shown in runs of at most this many, and the clock is looked at after
// each long run: a block of megabytes without a line end must not hold the tick.
constexpr qsizetype longestRun = 16 * 1024;
} // namespace

Receiver::Receiver(Parts parts)
    : m_state(parts.state), m_io(parts.io), m_gate(parts.gate), m_list(parts.list),
      m_writer(parts.writer), m_port(parts.port), m_capture(parts.capture), m_shown(parts.shown)
{
}

void Receiver::Timer1Timer()
{
    ++m_ticksSoFar;
    m_lastTickQuiet = false;
    m_lastTickBytes = 0;
    // While a send pauses, the tick is not served: replies wait in the port until it ends.
    if (m_gate.pausing())
        return;
    m_capture.countDownPrompt();
    m_port.reopenWhileOffline();
    if (++m_pollCount > ticksBetweenPortChecks) {
        m_pollCount = 0;
        if (m_port.closeIfLost())
            return;
    }
    if (!runPasses()) {
        m_lastTickQuiet = m_io.isOpen();
        return;
    }
    scroll();
    m_capture.writeCapture(m_ticksSoFar);
}

int Receiver::quietTicksAhead() const
{
    if (!m_lastTickQuiet || m_capture.promptCountingDown() || !m_io.isOpen())
        return 0;
    // The tick that raises the poll count above the limit checks the port: that one runs.
    return std::max(0, ticksBetweenPortChecks - m_pollCount);
}

void Receiver::skipQuietTicks(int ticks)
{
    const int skipped = std::clamp(ticks, 0, quietTicksAhead());
    m_pollCount += skipped;
    m_ticksSoFar += skipped;
}

void Receiver::portClosed()
{
    m_pendingEscape.clear();
    m_block.clear();
    m_blockTaken = 0;
}

void Receiver::Clear1Click()
{
    m_list.clear();
    m_pendingEscape.clear();
}

// Takes what has arrived, without ever waiting for more, until nothing is left or the
// tick's time is up; what is left waits in the block for the next tick. False when
// nothing had arrived.
bool Receiver::runPasses()
{
    QElapsedTimer elapsed;
    elapsed.start();
    for (int passes = 1;; ++passes) {
        const QByteArrayView arrived = untakenBytes();
        if (arrived.isEmpty())
            return m_lastTickBytes > 0;
        const qsizetype took = runPass(arrived);
        // (A pass that closed the port has dropped the block.)
        m_blockTaken = std::min(m_blockTaken + took, m_block.size());
        m_lastTickBytes += took;
        const bool lookAtClock = took >= longestRun || passes % passesBetweenClockChecks == 0;
        if (lookAtClock && elapsed.elapsed() >= m_budget.milliseconds)
            return true;
    }
}

// The rest of the block, or a new one from the driver once it is all taken.
QByteArrayView Receiver::untakenBytes()
{
    if (m_blockTaken == m_block.size()) {
        m_io.c_arrived(m_block);
        m_blockTaken = 0;
    }
    return QByteArrayView(m_block).sliced(m_blockTaken);
}

// One pass takes an escape sequence, a byte that ends a line or takes a character back,
// or a whole run of other bytes, which shows exactly as its bytes would one pass each.
// Returns how many bytes it took.
qsizetype Receiver::runPass(QByteArrayView bytes)
{
    m_capture.dataArrived();
    const int first = static_cast<unsigned char>(bytes.front());
    if (first == ascii::ESC || !m_pendingEscape.isEmpty())
        return takeEscape(bytes);
    const qsizetype run = ordinaryRunLength(bytes);
    if (run == 0) {
        runControlPass(first);
        return 1;
    }
    showRun(bytes.first(run));
    return run;
}

// Bytes that only add their text to the last line.
qsizetype Receiver::ordinaryRunLength(QByteArrayView bytes) const
{
    qsizetype n = 0;
    for (const char c : bytes) {
        const int byte = static_cast<unsigned char>(c);
        const bool acts = byte == ascii::ESC || byte == ascii::CR ||
                          (byte == ascii::LF && m_state.AddLinefeedton1) ||
                          (byte == ascii::BS && !m_state.HexMode);
        if (acts || n == longestRun)
            break;
        ++n;
    }
    return n;
}

void Receiver::showRun(QByteArrayView run)
{
    const RenderOptions options{m_state.HexMode, m_state.Unreadable1};
    m_runText.resize(0);
    if (!m_state.Log1) {
        renderRun(run, options, m_runText);
        m_writer.appendReceived(m_runText);
        return;
    }
    // Captured, every byte is a record of its own with the stamps in front, and the
    // display shows the stamped texts one after another. The run arrived at one moment:
    // one reading of the clock stamps it all.
    const QByteArray stamps = m_capture.stamps().toLatin1();
    QByteArray record;
    for (const char c : run) {
        record = stamps;
        renderRun(QByteArrayView(&c, 1), options, record);
        m_capture.addLatin1(record);
        m_runText += record;
    }
    m_writer.appendReceived(m_runText);
}

// CR, LF when it ends lines, and BS outside hex mode.
void Receiver::runControlPass(int byte)
{
    QString text = renderByte(byte, {m_state.HexMode, m_state.Unreadable1});
    if (byte == ascii::BS && !m_state.HexMode)
        m_writer.AddtoList(-1, QString());
    if (m_state.Log1) {
        text = m_capture.stamps() + text;
        m_capture.add(text);
    }
    const bool lineEnd = byte == ascii::CR || (byte == ascii::LF && m_state.AddLinefeedton1);
    if (lineEnd)
        endLine(text);
    else
        m_writer.AddtoList(0, text);
}

// An ESC takes the next three bytes with it. When they have not all arrived yet, what came
// is kept and the sequence completes when the rest arrives, so a split ESC [ 2 J still clears.
qsizetype Receiver::takeEscape(QByteArrayView bytes)
{
    const qsizetype taken =
        std::min(bytes.size(), qsizetype(escapeSequenceLength) - m_pendingEscape.size());
    m_pendingEscape.append(bytes.first(taken));
    if (m_pendingEscape.size() < escapeSequenceLength)
        return taken;
    const QByteArray sequence = std::exchange(m_pendingEscape, {});
    QString text;
    if (isClearScreen(sequence))
        Clear1Click();
    else
        text = renderEscape(sequence, m_state.HexMode);
    if (m_state.Log1) {
        text = m_capture.stamps() + text;
        m_capture.add(text);
    }
    m_writer.AddtoList(0, text);
    return taken;
}

// A finished line is captured, and an inquiry answer in it names a module for the MAC box.
void Receiver::endLine(const QString& passText)
{
    m_writer.AddtoList(1, passText);
    const TerminalLines& lines = m_list.lines();
    const QString finished = lines.line(lines.count() - 2);
    if (const auto address = inquiryAddress(finished))
        m_shown.addInquiryAddress(*address);
    if (m_state.Log1)
        m_capture.add(m_capture.stamps() + finished);
}

// The view puts the line in view at its next frame, together with the rows that came.
void Receiver::scroll()
{
    const int count = m_list.lines().count();
    if (count >= 10)
        emit scrollRequested(count - 10);
}
