// The iWRAP-style commands that go on the air: inquiries, calls and the connections they
// make, and the questions asked of other devices.
#include "IWrapInterpreter.h"

#include "SimulatedDevices.h"

#include <QRegularExpression>

namespace {

// How long the simulated radio takes, before the time scale.
constexpr qint64 connectMs = 400;
constexpr qint64 pageTimeoutMs = 3000;
constexpr qint64 nameRequestMs = 120;
constexpr qint64 inquirySecondMs = 1000;
constexpr int longestInquiry = 48;

bool isAddress(const QString& text)
{
    static const QRegularExpression address(QStringLiteral("^[0-9a-fA-F]{2}(:[0-9a-fA-F]{2}){5}$"));
    return address.match(text).hasMatch();
}

// An RFCOMM target the simulated devices offer: the serial port service 1101, a channel
// number, or a 128-bit service UUID (the BGIO service among them).
bool offersRfcomm(const QString& target)
{
    static const QRegularExpression channel(QStringLiteral("^[0-9]{1,2}$"));
    static const QRegularExpression uuid128(QStringLiteral(
        "^[0-9a-fA-F]{8}-[0-9a-fA-F]{4}-[0-9a-fA-F]{4}-[0-9a-fA-F]{4}-[0-9a-fA-F]{12}$"));
    return target == QLatin1String("1101") || channel.match(target).hasMatch() ||
           uuid128.match(target).hasMatch();
}

QString quoted(const char* text)
{
    return QLatin1Char('"') + QLatin1String(text) + QLatin1Char('"');
}

} // namespace

void IWrapInterpreter::inquiry(const Command& command)
{
    bool ok = false;
    const int seconds = command.words.value(1).toInt(&ok);
    if (!ok || seconds < 1 || seconds > longestInquiry) {
        syntaxError();
        return;
    }
    const bool names = command.words.mid(2).contains(QStringLiteral("NAME"), Qt::CaseInsensitive);
    m_replies.cancel(ReplyQueue::Tag::inquiry);
    const auto devices = simulatedDevices();
    const qint64 length = scaled(seconds * inquirySecondMs);
    m_inquiryStart = m_now;
    m_inquiryLength = length;
    const auto tag = ReplyQueue::Tag::inquiry;
    const qint64 count = qint64(devices.size());
    for (qint64 i = 0; i < count; ++i)
        replyLater(
            length * (i + 1) / (count + 1),
            QStringLiteral("INQUIRY_PARTIAL %1 %2")
                .arg(QLatin1String(devices[i].address), QLatin1String(devices[i].deviceClass)),
            tag);
    replyLater(length, QStringLiteral("INQUIRY %1").arg(count), tag);
    for (const SimulatedDevice& device : devices)
        replyLater(length,
                   QStringLiteral("INQUIRY %1 %2")
                       .arg(QLatin1String(device.address), QLatin1String(device.deviceClass)),
                   tag);
    if (!names)
        return;
    for (qint64 i = 0; i < count; ++i)
        replyLater(length + scaled(nameRequestMs) * (i + 1),
                   QStringLiteral("NAME %1 ").arg(QLatin1String(devices[i].address)) +
                       quoted(devices[i].name),
                   tag);
}

// Cancelling reports what the inquiry found so far, as its end would have.
void IWrapInterpreter::inquiryCancel(const Command&)
{
    if (!m_replies.has(ReplyQueue::Tag::inquiry))
        return;
    m_replies.cancel(ReplyQueue::Tag::inquiry);
    const auto devices = simulatedDevices();
    const qint64 count = qint64(devices.size());
    qint64 found = 0;
    while (found < count && m_inquiryStart + m_inquiryLength * (found + 1) / (count + 1) <= m_now)
        ++found;
    reply(QStringLiteral("INQUIRY %1").arg(found));
    for (qint64 i = 0; i < found; ++i)
        reply(QStringLiteral("INQUIRY %1 %2")
                  .arg(QLatin1String(devices[i].address), QLatin1String(devices[i].deviceClass)));
}

void IWrapInterpreter::call(const Command& command)
{
    const QString address = command.words.value(1);
    const QString target = command.words.value(2);
    const QString type = command.upper(3);
    static const QStringList types{QStringLiteral("RFCOMM"), QStringLiteral("HID"),
                                   QStringLiteral("L2CAP")};
    if (!isAddress(address) || target.isEmpty() || !types.contains(type)) {
        syntaxError();
        return;
    }
    const int link = m_state.freeLink();
    reply(QStringLiteral("CALL %1").arg(link));
    const SimulatedDevice* device = findDevice(address);
    if (!device) {
        connectionFails(link, QStringLiteral("c04 HCI_ERROR_PAGE_TIMEOUT"), scaled(pageTimeoutMs));
        return;
    }
    if (type == QLatin1String("RFCOMM") && !offersRfcomm(target)) {
        connectionFails(link, QStringLiteral("406 RFC_CONNECTION_FAILED"), scaled(connectMs));
        return;
    }
    const QString channel = type == QLatin1String("RFCOMM") ? QStringLiteral("1") : target;
    // The link is taken from now on, so that a second call gets another one.
    m_state.connections.push_back({link, QLatin1String(device->address), type, target, channel});
    replyLater(scaled(connectMs), QStringLiteral("CONNECT %1 %2 %3").arg(link).arg(type, channel));
    m_replies.action(m_now + scaled(connectMs), [this, link] {
        if (m_state.mode == Mode::mux || !m_state.connection(link))
            return;
        m_state.mode = Mode::data;
        m_state.dataLink = link;
    });
}

void IWrapInterpreter::connectionFails(int link, const QString& reason, qint64 delayMs)
{
    replyLater(delayMs, QStringLiteral("NO CARRIER %1 ERROR ").arg(link) + reason);
}

void IWrapInterpreter::disconnect(int link)
{
    std::erase_if(m_state.connections, [link](const Connection& c) { return c.link == link; });
    if (m_state.dataLink == link)
        m_state.dataLink = -1;
    reply(QStringLiteral("NO CARRIER %1 ERROR 0").arg(link));
}

void IWrapInterpreter::close(const Command& command)
{
    bool ok = false;
    const int link = command.words.value(1).toInt(&ok);
    if (!ok) {
        syntaxError();
        return;
    }
    if (m_state.connection(link))
        disconnect(link);
}

void IWrapInterpreter::kill(const Command& command)
{
    const QString address = command.words.value(1);
    if (!isAddress(address)) {
        syntaxError();
        return;
    }
    std::vector<int> links;
    for (const Connection& c : m_state.connections)
        if (c.address.compare(address, Qt::CaseInsensitive) == 0)
            links.push_back(c.link);
    for (const int link : links)
        disconnect(link);
}

void IWrapInterpreter::list(const Command&)
{
    reply(QStringLiteral("LIST %1").arg(m_state.connections.size()));
    for (const Connection& c : m_state.connections)
        reply(QStringLiteral("LIST %1 CONNECTED %2 667 0 0 12 8d 8d %3 %4 OUTGOING ACTIVE MASTER "
                             "PLAIN 0")
                  .arg(QString::number(c.link), c.type, c.address, c.channel));
}

void IWrapInterpreter::select(const Command& command)
{
    bool ok = false;
    const int link = command.words.value(1).toInt(&ok);
    if (!ok) {
        syntaxError();
        return;
    }
    if (!m_state.connection(link) || m_state.mode == Mode::mux)
        return;
    m_state.mode = Mode::data;
    m_state.dataLink = link;
}

void IWrapInterpreter::pair(const Command& command)
{
    const QString address = command.words.value(1);
    if (!isAddress(address)) {
        syntaxError();
        return;
    }
    if (!findDevice(address)) {
        replyLater(scaled(pageTimeoutMs), QStringLiteral("PAIR %1 FAIL").arg(address));
        return;
    }
    m_state.settings.addPairing(address);
    replyLater(scaled(connectMs), QStringLiteral("PAIR %1 OK").arg(address));
}

// NAME and IDENT page the device and answer with its name, or time out on an unknown one.
void IWrapInterpreter::answerAboutDevice(const Command& command, const QString& verb,
                                         const QString& details)
{
    const QString address = command.words.value(1);
    if (!isAddress(address)) {
        syntaxError();
        return;
    }
    const SimulatedDevice* device = findDevice(address);
    if (!device) {
        replyLater(scaled(pageTimeoutMs),
                   QStringLiteral("%1 ERROR 0x104 %2 HCI_ERROR_PAGE_TIMEOUT").arg(verb, address));
        return;
    }
    replyLater(scaled(nameRequestMs),
               QStringLiteral("%1 %2 ").arg(verb, QLatin1String(device->address)) + details +
                   quoted(device->name));
}

void IWrapInterpreter::name(const Command& command)
{
    answerAboutDevice(command, QStringLiteral("NAME"), QString());
}

void IWrapInterpreter::ident(const Command& command)
{
    answerAboutDevice(command, QStringLiteral("IDENT"), QStringLiteral("BT:47 0001 1.0 "));
}

void IWrapInterpreter::sdp(const Command& command)
{
    const QString address = command.words.value(1);
    if (!isAddress(address) || command.words.size() < 3) {
        syntaxError();
        return;
    }
    if (findDevice(address) && offersRfcomm(command.words[2]))
        replyLater(scaled(nameRequestMs),
                   QStringLiteral("SDP %1 < I SERVICENAME S \"Serial Port\" > < I "
                                  "PROTOCOLDESCRIPTORLIST < < U L2CAP > < U RFCOMM I 01 > > >")
                       .arg(address));
    replyLater(scaled(nameRequestMs), QStringLiteral("SDP"));
}
