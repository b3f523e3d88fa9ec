#include "Module.h"

#include "AtCommands.h"
#include "MuxFraming.h"

namespace {

bool isLineEnd(char byte) { return byte == '\r' || byte == '\n'; }
bool isPrintable(char byte) { return byte >= 0x20 && byte < 0x7F; }

QString modeName(Mode mode, int dataLink)
{
    switch (mode) {
    case Mode::command: return QStringLiteral("command mode");
    case Mode::data: return QStringLiteral("data mode on link %1").arg(dataLink);
    case Mode::mux: return QStringLiteral("multiplexing mode");
    }
    return {};
}

} // namespace

Module::Module(Options options)
    : m_iwrap(m_state, m_replies, options.timeScale, [this](const QString& text) { note(text); }),
      m_escape(options.guardMs)
{
}

void Module::boot(qint64 nowMs)
{
    m_iwrap.boot(nowMs);
    noteModeChange(nowMs);
}

void Module::receive(const QByteArray& bytes, qint64 nowMs)
{
    advance(nowMs);
    receiveInMode(bytes, nowMs);
}

void Module::receiveInMode(const QByteArray& bytes, qint64 nowMs)
{
    if (bytes.isEmpty())
        return;
    switch (m_state.mode) {
    case Mode::command: receiveCommandBytes(bytes, nowMs); break;
    case Mode::mux: receiveFrames(bytes, nowMs); break;
    case Mode::data:
        m_escape.received(bytes, nowMs);
        m_replies.bytes(nowMs, m_state.dataLink, bytes);
        break;
    }
}

void Module::receiveCommandBytes(const QByteArray& bytes, qint64 nowMs)
{
    qsizetype dropped = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char byte = bytes[i];
        if (!isLineEnd(byte)) {
            if (!isPrintable(byte) && byte != '\t')
                ++dropped;
            else if (m_line.size() < longestLine)
                m_line.append(byte == '\t' ? ' ' : byte);
            else
                m_lineTooLong = true;
            continue;
        }
        const QString line = QString::fromLatin1(m_line).trimmed();
        const bool tooLong = m_lineTooLong;
        m_line.clear();
        m_lineTooLong = false;
        if (tooLong)
            m_replies.line(nowMs, QStringLiteral("SYNTAX ERROR"));
        else if (!line.isEmpty())
            executeLine(line, nowMs);
        if (m_state.mode != Mode::command) {
            // The LF of a CR LF still belongs to the command that switched modes.
            const bool crLf = byte == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n';
            receiveInMode(bytes.mid(i + (crLf ? 2 : 1)), nowMs);
            break;
        }
    }
    if (dropped)
        note(QStringLiteral("ignored %1 unprintable byte(s) in command mode").arg(dropped));
}

void Module::executeLine(const QString& line, qint64 nowMs)
{
    if (isAtCommand(line)) {
        for (const QString& reply : atReply(line, m_state))
            m_replies.line(nowMs, reply);
    } else {
        m_iwrap.execute(line, nowMs);
    }
    noteModeChange(nowMs);
}

void Module::receiveFrames(const QByteArray& bytes, qint64 nowMs)
{
    m_frames.append(bytes);
    m_lastFrameByteMs = nowMs;
    takeFrames(nowMs);
}

void Module::takeFrames(qint64 nowMs)
{
    while (m_state.mode == Mode::mux) {
        const std::optional<MuxFrameParser::Result> result = m_frames.next();
        if (!result)
            return;
        takeFrame(*result, nowMs);
    }
    // A command left multiplexing mode: what follows it is read in the new mode.
    receiveInMode(m_frames.takeRest(), nowMs);
}

void Module::takeFrame(const MuxFrameParser::Result& result, qint64 nowMs)
{
    if (!result.accepted) {
        note(QStringLiteral("rejected %1 byte(s): %2").arg(result.dropped.size()).arg(result.why));
    } else if (result.link == mux::controlLink) {
        // A control frame holds a command; line ends in it are allowed, not needed.
        for (const QByteArray& line : result.data.split('\r'))
            for (const QByteArray& part : line.split('\n'))
                if (const QString text = QString::fromLatin1(part).trimmed(); !text.isEmpty())
                    executeLine(text, nowMs);
    } else if (m_state.connection(result.link)) {
        m_replies.bytes(nowMs, result.link, result.data);
    } else {
        note(QStringLiteral("frame for link %1, which is not connected").arg(result.link));
    }
}

void Module::advance(qint64 nowMs)
{
    if (m_state.mode == Mode::data && m_escape.escaped(nowMs)) {
        m_state.mode = Mode::command;
        noteModeChange(nowMs);
    }
    if (m_state.mode == Mode::mux && m_frames.midFrame() &&
        nowMs - m_lastFrameByteMs >= frameTimeoutMs) {
        takeFrame(*m_frames.giveUpOnFrame(), nowMs);
        takeFrames(nowMs);
    }
    while (std::optional<ReplyQueue::Piece> piece = m_replies.takeNext(nowMs)) {
        if (!piece->bytes.isEmpty())
            send(piece->link, piece->bytes);
        if (piece->action) {
            piece->action();
            noteModeChange(piece->dueMs);
        }
    }
}

void Module::send(int link, const QByteArray& bytes)
{
    if (m_state.mode != Mode::mux) {
        m_output += bytes;
        return;
    }
    for (qsizetype from = 0; from < bytes.size(); from += mux::maxData)
        m_output += mux::frame(link, bytes.mid(from, mux::maxData));
}

void Module::noteModeChange(qint64 nowMs)
{
    if (m_state.mode == m_lastMode && m_state.dataLink == m_lastDataLink)
        return;
    if (m_state.mode == Mode::data)
        m_escape.restart(nowMs);
    if (m_state.mode == Mode::mux)
        m_frames.takeRest();
    m_line.clear();
    m_lastMode = m_state.mode;
    m_lastDataLink = m_state.dataLink;
    note(modeName(m_state.mode, m_state.dataLink));
}

QByteArray Module::takeOutput()
{
    QByteArray output;
    output.swap(m_output);
    return output;
}

qint64 Module::nextEventMs() const
{
    const qint64 reply = m_replies.nextDueMs();
    const qint64 escape = m_state.mode == Mode::data ? m_escape.escapeDueMs() : -1;
    const qint64 stalledFrame =
        m_state.mode == Mode::mux && m_frames.midFrame() ? m_lastFrameByteMs + frameTimeoutMs : -1;
    qint64 next = -1;
    for (const qint64 due : {reply, escape, stalledFrame})
        if (due >= 0 && (next < 0 || due < next))
            next = due;
    return next;
}

QStringList Module::takeNotes()
{
    QStringList notes;
    notes.swap(m_notes);
    return notes;
}

void Module::followLineSpeed(int baudRate)
{
    ModuleSettings& settings = m_state.settings;
    if (baudRate <= 0 || baudRate == settings.baudRate())
        return;
    const QString key = QStringLiteral("CONTROL BAUD");
    const QString format = settings.value(key).section(QLatin1Char(','), 1);
    settings.setValue(key, QString::number(baudRate) + QLatin1Char(',') + format);
    note(QStringLiteral("UART follows the line: ") + settings.value(key));
}
