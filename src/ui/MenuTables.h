#pragma once

#include "TerminalState.h"

#include <span>

// An item of a menu. A caption "-" makes a separator line.
struct MenuItemRow {
    const char* name;
    const char* caption;
    const char* handler = nullptr;
    const char* hint = nullptr;          // kept with the item; no menu shows it
    bool TerminalState::*tick = nullptr; // the option the item's check mark shows
};

struct MenuLayout {
    const char* name;
    const char* caption;
    std::span<const MenuItemRow> items;
};

// The menus made of fixed items. COM and Parameters are built by rule (PortItems.h,
// LineParameters.h).
extern const MenuLayout fileMenu;
extern const MenuLayout viewMenu;
extern const MenuLayout commandsMenu;
extern const MenuLayout helpMenu;
// The terminal list's right-click menu.
extern const MenuLayout popupMenu;
