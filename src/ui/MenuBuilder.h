#pragma once

#include "MenuTables.h"

#include <vector>

class Handlers;
class QAction;
class QMenu;
class QMenuBar;

// A check item and the option its check mark shows.
struct TickItem {
    QAction* item;
    bool TerminalState::*option;
};

// Adds the menu to the bar with its items named, captioned, hinted and bound to their
// handlers; check items are appended to `ticks`.
QMenu* buildMenu(QMenuBar* bar, const MenuLayout& layout, const Handlers& handlers,
                 std::vector<TickItem>& ticks);
// Adds the layout's items to a menu that is already there (a pop-up menu).
void fillMenu(QMenu* menu, const MenuLayout& layout, const Handlers& handlers,
              std::vector<TickItem>& ticks);
