// The main window's side of start-up and exit: its placement and its tool bars.
#include "TMain.h"

#include "ToolBarTables.h"
#include "WindowPlacement.h"

// The frame's position, and the window's own size: the window system's frame around it is
// not the program's, so a restored window keeps its size whatever frame it gets.
QRect TMain::placement() const { return QRect(pos(), size()); }

void TMain::placeWindow(const SavedPlacement& saved)
{
    const QRect where = restoredPlacement(saved, placement(), ScreenLayout::ofThisMachine());
    resize(where.size());
    move(where.topLeft());
}

void TMain::toggleToolBar(bool TerminalState::*shown)
{
    for (const ToolBarLayout& layout : toolBarLayouts())
        if (layout.shown == shown)
            toggleToolBar(layout);
}
