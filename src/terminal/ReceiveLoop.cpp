// The receive loop: one tick every 10 ms takes what the module sent, renders it into the
// terminal list, and keeps the port open.
#include "TerminalCore.h"

#include "AddressCapture.h"
#include "ByteRendering.h"
#include "Stamps.h"

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

void TerminalCore::Timer1Timer()
{
    ++m_ticksSoFar;
    m_lastTickQuiet = false;
    m_lastTickBytes = 0;
    // While a send pauses, the tick is not served: replies wait in the port until it ends.
    if (m_gate.pausing())
        return;
    if (st.logPromptCountdown > 0)
        --st.logPromptCountdown;
    if (st.portNumber == 0) {
        st.portNumber = st.lastPort;
        set_com(0);
    }
    if (++st.pollCount > ticksBetweenPortChecks) {
        st.pollCount = 0;
        if (m_io.isOpen() && !m_io.portUsable()) {
            m_io.c_close();
            st.lastPort = -st.portNumber;
            st.portNumber = 0;
            set_com(0);
            return;
        }
    }
    if (!runPasses()) {
        m_lastTickQuiet = m_io.isOpen();
        return;
    }
    scroll();
    writeCapture();
}

int TerminalCore::quietTicksAhead() const
{
    if (!m_lastTickQuiet || st.logPromptCountdown > 0 || !m_io.isOpen())
        return 0;
    // The tick that raises pollCount above the limit checks the port: that one runs.
    return std::max(0, ticksBetweenPortChecks - st.pollCount);
}

void TerminalCore::skipQuietTicks(int ticks)
{
    const int skipped = std::clamp(ticks, 0, quietTicksAhead());
    st.pollCount += skipped;
    m_ticksSoFar += skipped;
}

// Takes what has arrived, without ever waiting for more, until nothing is left or the
// tick's time is up; what is left waits in the driver for the next tick. False when
// nothing had arrived.
bool TerminalCore::runPasses()
{
    QElapsedTimer elapsed;
    elapsed.start();
    for (int passes = 1;; ++passes) {
        const QByteArrayView arrived = m_io.c_arrived();
        if (arrived.isEmpty())
            return m_lastTickBytes > 0;
        const qsizetype took = runPass(arrived);
        m_io.c_take(took);
        m_lastTickBytes += took;
        const bool lookAtClock = took >= longestRun || passes % passesBetweenClockChecks == 0;
        if (lookAtClock && elapsed.elapsed() >= m_budget.milliseconds)
            return true;
    }
}

// One pass takes an escape sequence, a byte that ends a line or takes a character back,
// or a whole run of other bytes, which shows exactly as its bytes would one pass each.
// Returns how many bytes it took.
qsizetype TerminalCore::runPass(QByteArrayView bytes)
{
    st.logPromptCountdown = 0;
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
qsizetype TerminalCore::ordinaryRunLength(QByteArrayView bytes) const
{
    qsizetype n = 0;
    for (const char c : bytes) {
        const int byte = static_cast<unsigned char>(c);
        const bool acts = byte == ascii::ESC || byte == ascii::CR ||
                          (byte == ascii::LF && st.AddLinefeedton1) ||
                          (byte == ascii::BS && !st.HexMode);
        if (acts || n == longestRun)
            break;
        ++n;
    }
    return n;
}

void TerminalCore::showRun(QByteArrayView run)
{
    const RenderOptions options{st.HexMode, st.Unreadable1};
    m_runText.resize(0);
    if (!st.Log1) {
        renderRun(run, options, m_runText);
        appendReceived(m_runText);
        return;
    }
    // Captured, every byte is a record of its own with the stamps in front, and the
    // display shows the stamped texts one after another. The run arrived at one moment:
    // one reading of the clock stamps it all.
    const QByteArray stamps = captureStamps().toLatin1();
    QByteArray record;
    for (const char c : run) {
        record = stamps;
        renderRun(QByteArrayView(&c, 1), options, record);
        m_captureLog.addLatin1(record);
        m_runText += record;
    }
    appendReceived(m_runText);
}

// CR, LF when it ends lines, and BS outside hex mode.
void TerminalCore::runControlPass(int byte)
{
    QString text = renderByte(byte, {st.HexMode, st.Unreadable1});
    if (byte == ascii::BS && !st.HexMode)
        AddtoList(-1, QString());
    if (st.Log1) {
        text = captureStamps() + text;
        m_captureLog.add(text);
    }
    const bool lineEnd = byte == ascii::CR || (byte == ascii::LF && st.AddLinefeedton1);
    if (lineEnd)
        endLine(text);
    else
        AddtoList(0, text);
}

// An ESC takes the next three bytes with it. When they have not all arrived yet, what came
// is kept and the sequence completes when the rest arrives, so a split ESC [ 2 J still clears.
qsizetype TerminalCore::takeEscape(QByteArrayView bytes)
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
        text = renderEscape(sequence, st.HexMode);
    if (st.Log1) {
        text = captureStamps() + text;
        m_captureLog.add(text);
    }
    AddtoList(0, text);
    return taken;
}

// The stamps in front of captured text. Date and time come from one reading of the clock,
// so that a text stamped at midnight never carries the new day's date with the old day's time.
QString TerminalCore::captureStamps()
{
    if (!st.Timestamp1 && !st.DateStamp1)
        return {};
    const QDateTime now = m_now();
    QString stamps;
    if (st.DateStamp1)
        stamps = dateStamp(now.date()) + QLatin1Char(',');
    if (st.Timestamp1) {
        const QString stamp = timeStamp(now.time());
        stamps += stamp + QLatin1Char(',');
        setPanel(3, stamp);
    }
    return stamps;
}

void TerminalCore::endLine(const QString& passText)
{
    AddtoList(1, passText);
    const QString finished = lines().line(lines().count() - 2);
    captureAddress(finished);
    if (st.Log1)
        m_captureLog.add(captureStamps() + finished);
}

void TerminalCore::captureAddress(const QString& finishedLine)
{
    const auto address = inquiryAddress(finishedLine);
    if (!address)
        return;
    m_macHidden = *address;
    if (!m_macItems.contains(*address))
        m_macItems.append(*address);
    m_macText = m_macItems.last();
    emit macBoxChanged();
}

// The view puts the line in view at its next frame, together with the rows that came.
void TerminalCore::scroll()
{
    const int count = lines().count();
    if (count >= 10)
        emit scrollRequested(count - 10);
}
