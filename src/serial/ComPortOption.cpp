#include "ComPortOption.h"

#include <algorithm>

namespace {

enum Command : unsigned char {
    SetBaudRate = 1,
    SetDataSize = 2,
    SetParity = 3,
    SetStopSize = 4,
};
constexpr unsigned char serverAnswer = 100;

// The terminal's parity codes 0..4 are the option's 1..5 (none, odd, even, mark, space).
constexpr const char* parityNames[] = {"no parity", "odd parity", "even parity", "mark parity",
                                       "space parity"};

QByteArray request(Command command, QByteArray value) { return char(command) + value; }

QByteArray bigEndian32(quint32 v)
{
    const char bytes[] = {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
    return QByteArray(bytes, sizeof bytes);
}

quint32 fromBigEndian32(QByteArrayView bytes)
{
    quint32 v = 0;
    for (const char c : bytes)
        v = (v << 8) | static_cast<unsigned char>(c);
    return v;
}

// A setting as a person reads it, from its command and the option's value bytes.
QString settingText(unsigned char command, QByteArrayView value)
{
    const unsigned byte = value.isEmpty() ? 0 : static_cast<unsigned char>(value.front());
    switch (command) {
    case SetBaudRate: return QStringLiteral("%1 baud").arg(fromBigEndian32(value));
    case SetDataSize: return QStringLiteral("%1 data bits").arg(byte);
    case SetParity:
        return byte >= 1 && byte <= 5 ? QString::fromLatin1(parityNames[byte - 1])
                                      : QStringLiteral("parity code %1").arg(byte);
    case SetStopSize:
        return byte == 1   ? QStringLiteral("1 stop bit")
               : byte == 3 ? QStringLiteral("1.5 stop bits")
                           : QStringLiteral("%1 stop bits").arg(byte);
    default: return QStringLiteral("setting %1").arg(command);
    }
}

} // namespace

bool ComPortOption::valid(const LineSettings& s, QString* why)
{
    if (s.baudRate <= 0)
        *why = QStringLiteral("Unsupported baud rate %1.").arg(s.baudRate);
    else if (s.dataBits < 5 || s.dataBits > 8)
        *why = QStringLiteral("Unsupported number of data bits: %1.").arg(s.dataBits);
    else if (s.parity < 0 || s.parity > 4)
        *why = QStringLiteral("Unsupported parity code: %1.").arg(s.parity);
    else
        return true;
    return false;
}

ComPortOption::ComPortOption(const LineSettings& s)
{
    m_requests.push_back(request(SetBaudRate, bigEndian32(quint32(s.baudRate))));
    m_requests.push_back(request(SetDataSize, QByteArray(1, char(s.dataBits))));
    m_requests.push_back(request(SetParity, QByteArray(1, char(s.parity + 1))));
    if (s.stopBits == 1 || s.stopBits == 2)
        m_requests.push_back(request(SetStopSize, QByteArray(1, char(s.stopBits))));
    m_unanswered = m_requests;
}

void ComPortOption::takeAnswer(const QByteArray& sub)
{
    if (sub.isEmpty())
        return;
    const unsigned char command = static_cast<unsigned char>(sub.front()) - serverAnswer;
    const auto asked =
        std::find_if(m_unanswered.begin(), m_unanswered.end(),
                     [&](const QByteArray& r) { return r.front() == char(command); });
    if (asked == m_unanswered.end())
        return;
    const QByteArrayView wanted = QByteArrayView(*asked).sliced(1);
    const QByteArrayView got = QByteArrayView(sub).sliced(1);
    if (got != wanted)
        m_notTaken.append(QStringLiteral("%1 (it keeps %2)")
                              .arg(settingText(command, wanted), settingText(command, got)));
    m_unanswered.erase(asked);
}

QStringList ComPortOption::unanswered() const
{
    QStringList texts;
    for (const QByteArray& r : m_unanswered)
        texts.append(
            settingText(static_cast<unsigned char>(r.front()), QByteArrayView(r).sliced(1)));
    return texts;
}
