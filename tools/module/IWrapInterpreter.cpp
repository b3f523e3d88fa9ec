#include "IWrapInterpreter.h"

#include "SimulatedDevices.h"

#include <QRegularExpression>
#include <array>

namespace {

const QString syntaxErrorText = QStringLiteral("SYNTAX ERROR");

// How long the simulated radio takes, before the time scale.
constexpr qint64 bootMs = 150;
constexpr qint64 connectMs = 400;
constexpr qint64 pageTimeoutMs = 3000;
constexpr qint64 nameRequestMs = 120;
constexpr qint64 inquirySecondMs = 1000;
constexpr int longestInquiry = 48;

const std::array<const char*, 3> bannerLines{
    "Serivox module simulation 1.0 (iWRAP-style commands)",
    "Simulated radio: inquiries find three fixed devices",
    "READY.",
};

// Commands whose answer does not depend on the module's state: the command's first word or
// first two words, how many words must follow, and the reply ("" for none; %1 is the first
// word after the command).
struct FixedReply {
    const char* command;
    int arguments;
    const char* reply;
};
constexpr std::array fixedReplies{
    FixedReply{"AIO", 1, "AIO %1 0398"},
    FixedReply{"AUTH", 2, ""},
    FixedReply{"BER", 1, "BER %1 0.0000"},
    FixedReply{"BLINK", 3, ""},
    FixedReply{"CLOCK", 1, "CLOCK %1 0001f2a4"},
    FixedReply{"CONNAUTH", 3, ""},
    FixedReply{"CONNECT", 2, ""},
    FixedReply{"DELAY", 3, ""},
    FixedReply{"ECHO", 1, ""},
    FixedReply{"HID GET", 0, "HID GET 00"},
    FixedReply{"HID SET", 0, ""},
    FixedReply{"L2CAP", 1, ""},
    FixedReply{"PLAY", 1, ""},
    FixedReply{"RFCOMM CREATE", 0, "RFCOMM 2"},
    FixedReply{"RSSI", 1, "RSSI %1 -42"},
    FixedReply{"SCO ENABLE", 0, ""},
    FixedReply{"SCO OPEN", 1, ""},
};

const FixedReply* fixedReplyOf(const IWrapInterpreter::Command& command)
{
    const QString first = command.upper(0);
    const QString firstTwo = first + QLatin1Char(' ') + command.upper(1);
    for (const FixedReply& row : fixedReplies)
        if (firstTwo == QLatin1String(row.command))
            return &row;
    for (const FixedReply& row : fixedReplies)
        if (first == QLatin1String(row.command))
            return &row;
    return nullptr;
}

bool isAddress(const QString& text)
{
    static const QRegularExpression address(QStringLiteral("^[0-9a-fA-F]{2}(:[0-9a-fA-F]{2}){5}$"));
    return address.match(text).hasMatch();
}

// A number the module reads in hex (PIO masks and values).
std::optional<unsigned> hexNumber(const QString& text)
{
    bool ok = false;
    const unsigned value = text.toUInt(&ok, 16);
    return ok ? std::optional<unsigned>(value) : std::nullopt;
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

const IWrapInterpreter::Row IWrapInterpreter::rows[] = {
    {"SET", &IWrapInterpreter::set},         {"RESET", &IWrapInterpreter::reset},
    {"BOOT", &IWrapInterpreter::reset},      {"DEFRAG", &IWrapInterpreter::reset},
    {"INQUIRY", &IWrapInterpreter::inquiry}, {"IC", &IWrapInterpreter::inquiryCancel},
    {"CALL", &IWrapInterpreter::call},       {"CLOSE", &IWrapInterpreter::close},
    {"KILL", &IWrapInterpreter::kill},       {"LIST", &IWrapInterpreter::list},
    {"SELECT", &IWrapInterpreter::select},   {"PAIR", &IWrapInterpreter::pair},
    {"NAME", &IWrapInterpreter::name},       {"IDENT", &IWrapInterpreter::ident},
    {"SDP", &IWrapInterpreter::sdp},         {"PIO", &IWrapInterpreter::pio},
    {"INFO", &IWrapInterpreter::info},
};

QString IWrapInterpreter::Command::from(int n) const { return words.mid(n).join(QLatin1Char(' ')); }

IWrapInterpreter::IWrapInterpreter(ModuleState& state, ReplyQueue& replies, double timeScale,
                                   Notes notes)
    : m_state(state), m_replies(replies), m_timeScale(timeScale), m_notes(std::move(notes))
{
}

void IWrapInterpreter::execute(const QString& line, qint64 nowMs)
{
    m_now = nowMs;
    Command command{line,
                    line.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts)};
    if (command.words.isEmpty())
        return;
    const QString word = command.upper(0);
    for (const Row& row : rows)
        if (word == QLatin1String(row.word))
            return (this->*row.handler)(command);
    fixedReply(command);
}

void IWrapInterpreter::reply(const QString& line) { m_replies.line(m_now, line); }

void IWrapInterpreter::replyLater(qint64 delayMs, const QString& line, ReplyQueue::Tag tag)
{
    m_replies.line(m_now + delayMs, line, tag);
}

void IWrapInterpreter::syntaxError() { reply(syntaxErrorText); }

void IWrapInterpreter::boot(qint64 nowMs)
{
    m_now = nowMs;
    m_replies.clear();
    m_state.connections.clear();
    m_state.dataLink = -1;
    const bool mux = m_state.settings.isSet(QStringLiteral("CONTROL MUX"));
    m_state.mode = mux ? Mode::mux : Mode::command;
    for (const char* line : bannerLines)
        replyLater(scaled(bootMs), QLatin1String(line));
}

void IWrapInterpreter::fixedReply(const Command& command)
{
    const FixedReply* row = fixedReplyOf(command);
    if (!row) {
        syntaxError();
        return;
    }
    const int commandWords = QLatin1String(row->command).contains(QLatin1Char(' ')) ? 2 : 1;
    if (command.words.size() - commandWords < row->arguments) {
        syntaxError();
        return;
    }
    if (*row->reply)
        reply(QLatin1String(row->reply).arg(command.words.value(commandWords)));
}

void IWrapInterpreter::set(const Command& command)
{
    const ModuleSettings& settings = m_state.settings;
    if (command.words.size() == 1) {
        for (const QString& line : settings.listing())
            reply(line);
        reply(QStringLiteral("SET"));
        return;
    }
    const QString what = command.upper(1) + QLatin1Char(' ') + command.upper(2);
    if (command.upper(1) == QLatin1String("RESET")) {
        m_state.settings.restoreDefaults();
        boot(m_now);
        return;
    }
    if (what == QLatin1String("CONTROL CONFIG") && command.upper(3) == QLatin1String("LIST")) {
        reply(QStringLiteral("SET CONTROL CONFIG ") +
              settings.value(QStringLiteral("CONTROL CONFIG")));
        reply(QStringLiteral("CONFIG BITS 0100 INTERLACED_INQUIRY 4000 RSSI_IN_INQUIRY"));
        return;
    }
    if (!m_state.settings.set(command.from(1))) {
        syntaxError();
        return;
    }
    if (what == QLatin1String("CONTROL MUX"))
        m_state.mode = settings.isSet(QStringLiteral("CONTROL MUX")) ? Mode::mux : Mode::command;
    else if (what == QLatin1String("CONTROL BAUD"))
        m_notes(QStringLiteral("UART now ") + settings.value(QStringLiteral("CONTROL BAUD")));
}

void IWrapInterpreter::reset(const Command&) { boot(m_now); }

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

void IWrapInterpreter::name(const Command& command)
{
    const QString address = command.words.value(1);
    if (!isAddress(address)) {
        syntaxError();
        return;
    }
    const SimulatedDevice* device = findDevice(address);
    if (!device) {
        replyLater(scaled(pageTimeoutMs),
                   QStringLiteral("NAME ERROR 0x104 %1 HCI_ERROR_PAGE_TIMEOUT").arg(address));
        return;
    }
    replyLater(scaled(nameRequestMs),
               QStringLiteral("NAME %1 ").arg(QLatin1String(device->address)) +
                   quoted(device->name));
}

void IWrapInterpreter::ident(const Command& command)
{
    const QString address = command.words.value(1);
    if (!isAddress(address)) {
        syntaxError();
        return;
    }
    const SimulatedDevice* device = findDevice(address);
    if (!device) {
        replyLater(scaled(pageTimeoutMs),
                   QStringLiteral("IDENT ERROR 0x104 %1 HCI_ERROR_PAGE_TIMEOUT").arg(address));
        return;
    }
    replyLater(scaled(nameRequestMs),
               QStringLiteral("IDENT %1 BT:47 0001 1.0 ").arg(QLatin1String(device->address)) +
                   quoted(device->name));
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

void IWrapInterpreter::pio(const Command& command)
{
    const QString what = command.upper(1);
    struct Register {
        const char* get;
        const char* set;
        unsigned ModuleState::*value;
    };
    static constexpr std::array registers{
        Register{"GET", "SET", &ModuleState::pioValue},
        Register{"GETDIR", "SETDIR", &ModuleState::pioDirection},
        Register{"GETBIAS", "SETBIAS", &ModuleState::pioBias},
    };
    for (const Register& r : registers) {
        unsigned& value = m_state.*(r.value);
        if (what == QLatin1String(r.get) && command.words.size() == 2) {
            reply(QStringLiteral("PIO %1 %2").arg(what).arg(value, 0, 16));
            return;
        }
        if (what == QLatin1String(r.set) && command.words.size() == 4) {
            const auto mask = hexNumber(command.words[2]);
            const auto bits = hexNumber(command.words[3]);
            if (!mask || !bits)
                break;
            value = (value & ~*mask) | (*bits & *mask);
            return;
        }
    }
    syntaxError();
}

void IWrapInterpreter::info(const Command&)
{
    reply(QLatin1String(bannerLines[0]));
    reply(QStringLiteral("Self address: ") + QLatin1String(ownAddress));
    reply(QStringLiteral("UART: ") + m_state.settings.value(QStringLiteral("CONTROL BAUD")));
    reply(QStringLiteral("Connections: %1").arg(m_state.connections.size()));
}
