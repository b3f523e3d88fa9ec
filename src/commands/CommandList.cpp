#include "CommandList.h"

#include "TerminalCore.h"

#include <array>

namespace commands {
namespace {

// In the order the list shows them (not quite alphabetical: ECHO stands before DEFRAG).
// "ECHO 0 DATA " keeps its trailing blank on screen; the sent command loses it.
constexpr std::array<const char*, 37> lines{
    "// IWRAP COMMANDS",
    "AIO 4 // Analog Input output reference",
    "AT // Attention - replies OK",
    "AUTH [MAC] PIN",
    "BER 0 // bit error rate on CH0",
    "BLINK 80 100 100 // blink PIO7 at 256ms on/off",
    "BOOT 0",
    "CALL [MAC] 1101 RFCOMM",
    "CLOCK 0",
    "CLOSE 0",
    "CONNAUTH [MAC] 3 0",
    "CONNECT 0 1",
    "ECHO 0 DATA ",
    "DEFRAG // defragment and reset",
    "DELAY 0 60000 SET BT PAGEMODE 0",
    "HID GET",
    "HID SET",
    "INQUIRY 1 NAME LAP 9E8B00",
    "INQUIRY 5 NAME",
    "IC // INQUIRY CANCEL",
    "IDENT [MAC] // Identify",
    "INFO",
    "KILL [MAC]",
    "L2CAP 37",
    "LIST // list active connections",
    "NAME [MAC] // reveal BT name",
    "PAIR [MAC] // Pair with BT name",
    "PIO GET // Digital IO get states",
    "PIO GETDIR // Digital IO get direction",
    "PIO GETBIAS",
    "PLAY OK",
    "RFCOMM CREATE",
    "RESET",
    "RSSI 0 // Receiver Signal Strength of CH0",
    "SCO ENABLE",
    "SCO OPEN 0",
    "SDP [MAC] 1002",
};

const QString explanationMark = QStringLiteral("//");
const QString macPlaceholder = QStringLiteral("[MAC]");

// Blanks and control characters: every code up to 32.
QString trimmedOfCodesUpTo32(const QString& text)
{
    const auto isTrimmed = [](QChar c) { return c.unicode() <= 32; };
    qsizetype from = 0;
    qsizetype to = text.size();
    while (from < to && isTrimmed(text[from]))
        ++from;
    while (to > from && isTrimmed(text[to - 1]))
        --to;
    return text.mid(from, to - from);
}

} // namespace

std::span<const char* const> iWrapLines() { return lines; }

QString commandOfLine(const QString& line, const QString& macText)
{
    QString command = trimmedOfCodesUpTo32(line.left(line.indexOf(explanationMark)));
    return command.replace(macPlaceholder, macText);
}

void IWrapClick(TerminalCore& core, const QString& chosenLine)
{
    core.transmitter().mc_puts(commandOfLine(chosenLine, core.shown().macText()));
}

} // namespace commands
