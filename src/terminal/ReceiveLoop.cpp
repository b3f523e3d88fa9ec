// The receive loop: one tick every 10 ms takes what the module sent, renders it into the
// terminal list, and keeps the port open.
#include "TerminalCore.h"

#include "AddressCapture.h"
#include "ByteRendering.h"
#include "Stamps.h"

#include <QElapsedTimer>

namespace {
constexpr int ticksBetweenPortChecks = 50;
}

void TerminalCore::Timer1Timer()
{
    // While a send pauses, the tick is not served: replies wait in the port until it ends.
    if (m_gate.pausing())
        return;
    if (st.logPromptCountdown > 0)
        --st.logPromptCountdown;
    if (st.portNumber == 0) {
        st.portNumber = st.lastPort;
        set_com(0);
    }
    int byte;
    if (++st.pollCount > ticksBetweenPortChecks) {
        st.pollCount = 0;
        byte = m_io.c_getc_checked();
    } else {
        byte = m_io.c_getc();
    }
    if (byte == Serial_io::noByte)
        return;
    if (byte == Serial_io::portLost) {
        m_io.c_close();
        st.lastPort = -st.portNumber;
        st.portNumber = 0;
        set_com(0);
        return;
    }
    runPasses(byte);
    scroll();
    writeCapture();
}

// Passes go on, line ends included, while bytes keep coming and the tick's budget lasts:
// a steady stream of short lines must not outrun the loop and overflow the port.
void TerminalCore::runPasses(int firstByte)
{
    QElapsedTimer elapsed;
    elapsed.start();
    int byte = firstByte;
    for (int passes = 1;; ++passes) {
        if (runPass(byte) == PassEnd::StopTick)
            return;
        if (passes >= m_budget.bytes || elapsed.elapsed() >= m_budget.milliseconds)
            return;
        byte = m_io.c_getc();
        if (byte == Serial_io::noByte)
            return;
    }
}

TerminalCore::PassEnd TerminalCore::runPass(int byte)
{
    st.logPromptCountdown = 0;
    QString text;
    const bool escape = byte == ascii::ESC || !m_pendingEscape.isEmpty();
    if (escape) {
        if (!takeEscape(byte, &text))
            return PassEnd::StopTick; // the rest of the sequence comes on a later tick
    } else {
        text = renderByte(byte, {st.HexMode, st.Unreadable1});
        if (byte == ascii::BS && !st.HexMode)
            AddtoList(-1, QString());
    }
    if (st.Log1) {
        text = stampForCapture(text);
        m_captureLog.add(text);
    }
    const bool lineEnd =
        !escape && (byte == ascii::CR || (byte == ascii::LF && st.AddLinefeedton1));
    if (lineEnd) {
        endLine(text);
        return PassEnd::LineEnded;
    }
    AddtoList(0, text);
    return PassEnd::Continue;
}

// An ESC takes the next three bytes with it. When they have not all arrived yet, what came
// is kept and the sequence completes on a later tick, so a split ESC [ 2 J still clears.
bool TerminalCore::takeEscape(int byte, QString* text)
{
    m_pendingEscape.append(char(byte));
    while (m_pendingEscape.size() < escapeSequenceLength) {
        const int next = m_io.c_getc();
        if (next == Serial_io::noByte)
            return false;
        m_pendingEscape.append(char(next));
    }
    const QByteArray sequence = m_pendingEscape;
    m_pendingEscape.clear();
    if (isClearScreen(sequence))
        Clear1Click();
    else
        *text = renderEscape(sequence, st.HexMode);
    return true;
}

// Date and time come from one reading of the clock, so that a text stamped at midnight
// never carries the new day's date with the old day's time.
QString TerminalCore::stampForCapture(const QString& text)
{
    if (!st.Timestamp1 && !st.DateStamp1)
        return text;
    const QDateTime now = m_now();
    QString stamped;
    if (st.DateStamp1)
        stamped = dateStamp(now.date()) + QLatin1Char(',');
    if (st.Timestamp1) {
        const QString stamp = timeStamp(now.time());
        stamped += stamp + QLatin1Char(',');
        setPanel(3, stamp);
    }
    return stamped + text;
}

void TerminalCore::endLine(const QString& passText)
{
    AddtoList(1, passText);
    const QString finished = lines().line(lines().count() - 2);
    captureAddress(finished);
    if (st.Log1)
        m_captureLog.add(stampForCapture(finished));
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

void TerminalCore::scroll()
{
    m_list.publish();
    const int count = lines().count();
    if (count >= 10)
        emit scrollRequested(count - 10);
}
