#pragma once

#include "MainWindowSide.h"

#include <QList>
#include <QRect>

// The screens a window can be placed on.
struct ScreenLayout {
    QList<QRect> screens;   // each screen's geometry
    QRect primaryAvailable; // the primary screen's area that windows may take
    static ScreenLayout ofThisMachine();
};

// Where the main window goes at start-up: each saved part of the placement replaces the
// current one. A saved size is kept within what the screens together can show (never
// below the current size, the window as designed), and a window that would lie off every
// screen moves to the primary screen's top left corner, keeping its size.
QRect restoredPlacement(const SavedPlacement& saved, const QRect& current,
                        const ScreenLayout& layout);
