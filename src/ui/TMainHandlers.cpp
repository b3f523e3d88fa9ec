// The handlers that the window's tables name: the terminal core's operations, the module
// commands, and the window's own tool bar and command list toggles.
#include "TMain.h"

#include "CommandCatalogue.h"
#include "FileDownload.h"
#include "HidTest.h"
#include "ListClipboard.h"
#include "MainPanel.h"
#include "Timeouts.h"
#include "ToolBarTables.h"
#include "WindowPrinting.h"

#include <QCheckBox>
#include <QComboBox>
#include <QToolBar>

namespace {

struct CoreHandler {
    const char* name;
    void (TerminalCore::*run)();
};

constexpr CoreHandler coreHandlers[] = {
    {"Clear1Click", &TerminalCore::Clear1Click},
    {"Echo1Click", &TerminalCore::Echo1Click},
    {"HexModeClick", &TerminalCore::HexModeClick},
    {"HexModeWrite1Click", &TerminalCore::HexModeWrite1Click},
    {"Unreadable1Click", &TerminalCore::Unreadable1Click},
    {"OrvinTerminalClick", &TerminalCore::OrvinTerminalClick},
    {"CopyToSend1Click", &TerminalCore::CopyToSend1Click},
    {"AddLinefeedton1Click", &TerminalCore::AddLinefeedton1Click},
    {"SendDataClick", &TerminalCore::SendDataClick},
    {"SELECTClick", &TerminalCore::SELECTClick},
    {"CLOSECHClick", &TerminalCore::CLOSECHClick},
    {"COMMANDClick", &TerminalCore::COMMANDClick},
    {"SCR1Click", &TerminalCore::SCR1Click},
    {"Log1Click", &TerminalCore::Log1Click},
    {"Timestamp1Click", &TerminalCore::Timestamp1Click},
    {"DateStamp1Click", &TerminalCore::DateStamp1Click},
    {"AutoDetect1Click", &TerminalCore::AutoDetect1Click},
};

constexpr int commandListShownWidth = 200;
constexpr int commandListNarrowWidth = 5;

} // namespace

void TMain::registerHandlers()
{
    TerminalCore* core = m_core.get();
    // A handler that arrives while a send pauses runs after the send (see HandlerGate).
    m_handlers.enterThrough(
        [core](const Handlers::Handler& handler) { core->gate().run(handler); });
    for (const CoreHandler& row : coreHandlers)
        m_handlers.add(row.name, [core, run = row.run] { (core->*run)(); });
    for (const commands::ModuleCommand& command : commands::catalogue())
        m_handlers.add(command.handler, [core, &command] { commands::run(*core, command); });
    m_handlers.add("HIDTestClick", [core] { commands::HIDTestClick(*core); });
    m_handlers.add("DownloadFileClick", [core] { commands::DownloadFileClick(*core); });

    // The Multiplex box's handler runs after the tick has changed; every change of the
    // Channel text, each typed character included, is a change.
    m_handlers.add("MUX1Click", [this] {
        m_core->st.MUX1 = m_mux1->isChecked();
        m_core->MUX1Click();
    });
    m_handlers.add("ChannelChange", [this] {
        m_core->setChannelText(m_channel->currentText());
        m_core->ChannelChange();
    });

    for (const ToolBarLayout& layout : toolBarLayouts())
        if (layout.toggleHandler)
            m_handlers.add(layout.toggleHandler, [this, &layout] { toggleToolBar(layout); });
    m_handlers.add("iWrapCommands1Click", [this] { iWrapCommands1Click(); });
    // Exit is heard during a send: closing stops a download and waits for any send to end.
    m_handlers.addAtOnce("Exit1Click", [this] { close(); });

    m_handlers.add("ShowHelpClick", [this] { ShowHelpClick(); });
    m_handlers.add("AboutClick", [this] { AboutClick(); });
    m_handlers.add("Timeouts1Click",
                   [this] { m_timeoutsDialog->setVisible(m_timeoutsDialog->isHidden()); });
    m_handlers.add("CopyClick", [core] { clipboard::CopyClick(*core); });
    m_handlers.add("Paste1Click", [core] { clipboard::Paste1Click(*core); });
    m_handlers.add("Print1Click", [this] { m_printing->Print1Click(); });
    m_handlers.add("PrintSetupClick", [this] { m_printing->PrintSetupClick(); });
}

// The View item's tick always mirrors whether its tool bar is shown.
void TMain::toggleToolBar(const ToolBarLayout& layout)
{
    auto* bar = findChild<QToolBar*>(QString::fromLatin1(layout.name));
    bar->setVisible(bar->isHidden());
    m_core->st.*layout.shown = !bar->isHidden();
    showOptions();
}

void TMain::iWrapCommands1Click()
{
    const bool wide = !m_core->st.iWrapCommands1;
    m_core->st.iWrapCommands1 = wide;
    m_panel->setCommandListWidth(wide ? commandListShownWidth : commandListNarrowWidth);
    showOptions();
}
