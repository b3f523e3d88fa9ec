#pragma once

#include "TerminalState.h"

#include <span>

struct ToolBarLayout;

// A control on a tool bar, or one that the window holds hidden.
struct ControlRow {
    enum class Kind { ToolButton, Separator, Label, Button, CheckBox, EditBox, ComboBox, ToolBar };
    Kind kind;
    const char* name;
    const char* caption = ""; // for a tool button: its icon's file name
    const char* hint = "";
    int width = 0; // 0: as wide as its content
    const char* handler = nullptr;
    const ToolBarLayout* inner = nullptr; // Kind::ToolBar: the tool bar's own layout
    // What assistive technology calls a box that has no caption. A button is called by its
    // caption, a picture button by the command it sends.
    const char* accessibleName = nullptr;
};

struct ToolBarLayout {
    const char* name;
    const char* caption;
    int height;
    int buttonHeight;
    std::span<const ControlRow> controls;
    // The View item's handler that shows and hides the tool bar, and the option that says
    // whether it is shown. nullptr for a tool bar that is always there (or never).
    const char* toggleHandler = nullptr;
    bool TerminalState::*shown = nullptr;
};

// The main tool bar, then the four optional ones in the order they stack below it.
std::span<const ToolBarLayout> toolBarLayouts();

// Controls the window holds but never shows: twins of the main tool bar's module commands,
// the multiplexing commands, the box of the last inquiry address, and the HID tool bar's
// inner tool bar with twins of its buttons.
std::span<const ControlRow> hiddenControls();
