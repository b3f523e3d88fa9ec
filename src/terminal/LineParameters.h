#pragma once

#include "TerminalState.h"

#include <array>

// The line-parameter items of the Parameters menu: each sets one field and reopens the port.
struct LineParameterItem {
    const char* name; // the item's name; its handler is the name followed by Click
    const char* caption;
    int TerminalState::*field;
    int value;
    const char* separatorBefore; // name of the line that opens the parity, data-bit and
                                 // stop-bit groups, or nullptr
};

inline constexpr std::array<LineParameterItem, 15> lineParameterItems{{
    {"B1200", "1200", &TerminalState::baudRate, 1200, nullptr},
    {"B2400", "2400", &TerminalState::baudRate, 2400, nullptr},
    {"B4800", "4800", &TerminalState::baudRate, 4800, nullptr},
    {"B9600", "9600", &TerminalState::baudRate, 9600, nullptr},
    {"B19200", "19200", &TerminalState::baudRate, 19200, nullptr},
    {"B38400", "38400", &TerminalState::baudRate, 38400, nullptr},
    {"B57600", "57600", &TerminalState::baudRate, 57600, nullptr},
    {"B115200", "115200", &TerminalState::baudRate, 115200, nullptr},
    {"NoParity1", "No Parity", &TerminalState::parity, 0, "N2"},
    {"EvenParity1", "Even Parity", &TerminalState::parity, 2, nullptr},
    {"oddparity1", "Odd parity", &TerminalState::parity, 1, nullptr},
    {"N7DataBits1", "7 Data Bits", &TerminalState::dataBits, 7, "N4"},
    {"N8DataBits1", "8 Data Bits", &TerminalState::dataBits, 8, nullptr},
    {"N1stopbit1", "1 stop bit", &TerminalState::stopBits, 1, "N5"},
    {"N2stopbits1", "2 stop bits", &TerminalState::stopBits, 2, nullptr},
}};

// Whether the item is the ticked one of its group under the given marks.
bool isMarked(const LineParameterItem& item, const PortMarks& marks);
