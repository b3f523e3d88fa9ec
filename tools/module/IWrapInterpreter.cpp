// The iWRAP-style command interpreter: its table of commands, the settings, the pins and
// the commands that answer the same whatever the state.
#include "IWrapInterpreter.h"

#include "SimulatedDevices.h"

#include <QRegularExpression>
#include <array>

namespace {

const QString syntaxErrorText = QStringLiteral("SYNTAX ERROR");

// How long the simulated radio takes, before the time scale.
constexpr qint64 bootMs = 150;

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

// A number the module reads in hex (PIO masks and values).
std::optional<unsigned> hexNumber(const QString& text)
{
    bool ok = false;
    const unsigned value = text.toUInt(&ok, 16);
    return ok ? std::optional<unsigned>(value) : std::nullopt;
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
