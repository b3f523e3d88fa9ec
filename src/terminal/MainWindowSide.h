#pragma once

#include "TerminalState.h"

#include <QRect>
#include <optional>

// The main window's placement as saved: each part empty when it was not saved.
struct SavedPlacement {
    std::optional<int> left, top, width, height;
};

// What start-up and exit ask of the main window besides the terminal's own state: its
// placement, its optional tool bars and its repaint. The terminal core runs headless
// without one.
class MainWindowSide {
public:
    virtual ~MainWindowSide() = default;

    // Left and top of the window's frame, width and height of the window.
    virtual QRect placement() const = 0;
    // Puts the window where it was saved, on a screen.
    virtual void placeWindow(const SavedPlacement& saved) = 0;
    // The View item's handler for the tool bar whose visibility `shown` mirrors
    // (SPP1Click, BGIO1Click, HID1Click, GainSpan1Click).
    virtual void toggleToolBar(bool TerminalState::*shown) = 0;
    virtual void FormResize() = 0;
};
