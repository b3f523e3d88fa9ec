#pragma once

#include "TerminalCore.h"

#include <array>

// A check item of a menu that shows one option of the terminal and runs its handler.
struct OptionItem {
    const char* name;
    const char* caption;
    void (TerminalCore::*handler)();
    bool TerminalState::*flag;
};

inline const std::array<OptionItem, 5> viewOptionItems{{
    {"Echo1", "Echo", &TerminalCore::Echo1Click, &TerminalState::Echo1},
    {"HexMode", "HexMode Read", &TerminalCore::HexModeClick, &TerminalState::HexMode},
    {"Unreadable1", "UnReadable", &TerminalCore::Unreadable1Click, &TerminalState::Unreadable1},
    {"OrvinTerminal", "Green on Black", &TerminalCore::OrvinTerminalClick,
     &TerminalState::OrvinTerminal},
    {"AddLinefeedton1", "Add Linefeed to \\n", &TerminalCore::AddLinefeedton1Click,
     &TerminalState::AddLinefeedton1},
}};
