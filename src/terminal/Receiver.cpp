#include "Receiver.h"

#include "AddressCapture.h"
#include "ByteRendering.h"
#include "CaptureControl.h"
#include "HandlerGate.h"
#include "PortControl.h"
#include "Serial_io.h"
#include "ShownTexts.h"
#include "TerminalListModel.h"
#include "TerminalTexts.h"
#include "UserPrompts.h"

#include <QMetaObject>
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
      m_port(parts.port), m_capture(parts.capture), m_shown(parts.shown), m_prompts(parts.prompts),
      m_timer(this)
{
    m_timer.setObjectName(QStringLiteral("Timer1"));
    connect(&m_timer, &QTimer::timeout, this, &Receiver::tick);
    // The port opened or closed, or the capture prompt began to count down: what the next
    // receive ticks do has changed, and a sleeping Timer1 must wake.
    connect(&m_port, &PortControl::portChanged, this, &Receiver::wake);
    connect(&m_capture, &CaptureControl::promptStarted, this, &Receiver::wake);
}

void Receiver::startTicking()
{
    m_io.setArrivalNotice([this] { wake(); });
    m_timer.start(tickMs);
}

void Receiver::stopTicking()
{
    m_stopped = true;
    m_timer.stop();
    m_io.setArrivalNotice({});
    m_io.watchArrivals(true);
}

int Receiver::ticksSlept() const
{
    return std::min(m_ticksToSleep, int(m_asleepSince.elapsed() / tickMs));
}

void Receiver::tick()
{
    if (m_ticksToSleep > 0) {
        skipQuietTicks(ticksSlept());
        m_ticksToSleep = 0;
    }
    Timer1Timer();
    sleepOrTick();
}

void Receiver::sleepOrTick()
{
    if (m_stopped)
        return;
    m_ticksToSleep = quietTicksAhead();
    // Ticking at a line's pace, the port is read every 10 ms and need not wake the loop for
    // every chunk in between. Asleep, while a send pauses and no tick reads, and while bytes
    // come faster than a serial line's ordinary pace (a flood, or a line above about 1.5
    // Mbaud), the port takes in what arrives as it comes: the driver's own buffer of a few
    // kilobytes must never fill between two ticks.
    const bool flood = m_lastTickBytes >= floodBytesPerTick;
    m_io.watchArrivals(m_ticksToSleep > 0 || m_gate.pausing() || flood);
    if (m_ticksToSleep == 0) {
        if (m_timer.interval() != tickMs)
            m_timer.start(tickMs);
        return;
    }
    // The tick after the quiet ones is due when they would all have run.
    m_asleepSince.start();
    m_timer.start((m_ticksToSleep + 1) * tickMs);
}

// A tick never runs inside the port's own signal, nor inside the handler that changed what
// ticks do: the timer fires at the loop's next turn.
void Receiver::wake()
{
    if (m_stopped || m_ticksToSleep == 0)
        return;
    m_timer.start(0);
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

bool Receiver::portClosedSinceRead() const { return m_io.closesSoFar() != m_portClosesSeen; }

bool Receiver::holdsUntakenBytes() const
{
    return !portClosedSinceRead() && m_blockTaken < m_block.size();
}

void Receiver::forgetClosedPort()
{
    if (!portClosedSinceRead())
        return;
    m_portClosesSeen = m_io.closesSoFar();
    m_pendingEscape.clear();
    m_block.clear();
    m_blockTaken = 0;
}

void Receiver::tellReadFailed()
{
    // Shown after the tick: a modal box inside the timer's own slot would stop the timer.
    if (m_readFailureQueued)
        return;
    m_readFailureQueued = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_gate.run([this] {
                m_prompts.showMessage(texts::readException, QString());
                m_readFailureQueued = false;
            });
        },
        Qt::QueuedConnection);
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
        // Should a pass ever close the port, the rest of the block goes with it.
        forgetClosedPort();
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
    forgetClosedPort();
    if (m_blockTaken == m_block.size()) {
        if (m_io.c_arrived(m_block) == SerialDevice::ReadOutcome::Error)
            tellReadFailed();
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
        m_list.appendReceived(m_runText);
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
    m_list.appendReceived(m_runText);
}

// CR, LF when it ends lines, and BS outside hex mode.
void Receiver::runControlPass(int byte)
{
    QString text = renderByte(byte, {m_state.HexMode, m_state.Unreadable1});
    if (byte == ascii::BS && !m_state.HexMode)
        m_list.AddtoList(-1, QString());
    if (m_state.Log1) {
        text = m_capture.stamps() + text;
        m_capture.add(text);
    }
    const bool lineEnd = byte == ascii::CR || (byte == ascii::LF && m_state.AddLinefeedton1);
    if (lineEnd)
        endLine(text);
    else
        m_list.AddtoList(0, text);
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
    m_list.AddtoList(0, text);
    return taken;
}

// A finished line is captured, and an inquiry answer in it names a module for the MAC box.
void Receiver::endLine(const QString& passText)
{
    m_list.AddtoList(1, passText);
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
