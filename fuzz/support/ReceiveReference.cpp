#include "ReceiveReference.h"

namespace {

constexpr unsigned char BS = 0x08, LF = 0x0A, CR = 0x0D, ESC = 0x1B;

QString hexOf(unsigned char byte) { return QString::asprintf("%02X ", byte); }

QString textOf(unsigned char byte, const ReceiveOptions& options)
{
    if (options.hex)
        return hexOf(byte);
    if (byte == CR || byte == LF || byte == BS)
        return {};
    if ((byte >= 0x20 && byte <= 0x7F) || options.unreadable)
        return QString(QChar(byte));
    return QString::asprintf("<%02X>", byte);
}

QString stampsFor(const ReceiveOptions& options, const QDateTime& now)
{
    QString stamps;
    if (options.dateStamp)
        stamps += QString::asprintf("%02d-%02d-%04d,", now.date().day(), now.date().month(),
                                    now.date().year());
    if (options.timestamp)
        stamps += QString::asprintf("%02d:%02d:%02d,", now.time().hour(), now.time().minute(),
                                    now.time().second());
    return stamps;
}

} // namespace

void ReceiveReference::receive(const QByteArray& bytes, const ReceiveOptions& options,
                               const QDateTime& now)
{
    const Pass pass{options, now};
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (m_escape.isEmpty() && byte != ESC) {
            bytePass(byte, pass);
            continue;
        }
        m_escape.append(c);
        if (m_escape.size() == 4) {
            const QByteArray sequence = m_escape;
            m_escape.clear();
            escapePass(sequence, pass);
        }
    }
}

void ReceiveReference::bytePass(unsigned char byte, const Pass& pass)
{
    if (byte == BS && !pass.options.hex)
        addToList(-1, QString(), pass.options.echo);
    const bool lineEnd = byte == CR || (byte == LF && pass.options.addLinefeed);
    endPass(textOf(byte, pass.options), lineEnd, pass);
}

void ReceiveReference::escapePass(const QByteArray& sequence, const Pass& pass)
{
    QString text;
    if (sequence == QByteArray("\x1b[2J")) {
        m_lines.clear();
    } else {
        for (const char c : sequence) {
            const auto byte = static_cast<unsigned char>(c);
            text += pass.options.hex ? hexOf(byte) : QString(QChar(byte));
        }
    }
    endPass(text, false, pass);
}

void ReceiveReference::endPass(QString text, bool lineEnd, const Pass& pass)
{
    if (pass.options.log) {
        text = stampsFor(pass.options, pass.now) + text;
        record(text);
    }
    if (!lineEnd) {
        addToList(0, text, pass.options.echo);
        return;
    }
    addToList(1, text, pass.options.echo);
    const QString finished = m_lines.at(m_lines.size() - 2);
    captureAddress(finished);
    if (pass.options.log)
        record(stampsFor(pass.options, pass.now) + finished);
}

void ReceiveReference::addToList(int newLines, const QString& text, bool echo)
{
    if (m_lines.isEmpty())
        m_lines.append(QString());
    m_lines.last() += text;
    for (int i = 0; i < newLines; ++i)
        m_lines.append(echo ? QStringLiteral("RX<= ") : QString());
    if (newLines == -1)
        m_lines.last().chop(1);
}

void ReceiveReference::record(const QString& text) { m_capture += text.toUtf8() + "\r\n"; }

// An inquiry result: the 17 characters of the address start two before the first colon.
void ReceiveReference::captureAddress(const QString& finishedLine)
{
    if (!finishedLine.contains(QStringLiteral("INQUIRY")) || !finishedLine.contains(u':'))
        return;
    const qsizetype colon = finishedLine.indexOf(u':');
    const QString address = finishedLine.mid(qMax<qsizetype>(colon - 2, 0), 17);
    if (!m_addresses.contains(address))
        m_addresses.append(address);
}
