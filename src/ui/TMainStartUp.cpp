// The main window's side of start-up and exit: its placement, its tool bars, and the
// handlers that start-up runs by name.
#include "TMain.h"

#include "ToolBarTables.h"
#include "WindowPlacement.h"

namespace {
// The capture log's option handler, run at start-up among the other options' handlers.
const QString logOptionHandler = QStringLiteral("Log1Click");
} // namespace

// Whatever handler the File menu's Log item runs is the one start-up runs.
void TMain::bindStartUpHandlers()
{
    if (m_handlers.contains(logOptionHandler))
        m_core->setLogOptionHandler(m_handlers[logOptionHandler]);
}

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
