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

// The core's handlers, each in the part that does the work.
struct CoreHandler {
    const char* name;
    void (*run)(TerminalCore& core);
};

constexpr CoreHandler coreHandlers[] = {
    {"Clear1Click", [](TerminalCore& core) { core.receiver().Clear1Click(); }},
    {"Echo1Click", [](TerminalCore& core) { core.options().Echo1Click(); }},
    {"HexModeClick", [](TerminalCore& core) { core.options().HexModeClick(); }},
    {"HexModeWrite1Click", [](TerminalCore& core) { core.transmitter().HexModeWrite1Click(); }},
    {"Unreadable1Click", [](TerminalCore& core) { core.options().Unreadable1Click(); }},
    {"OrvinTerminalClick", [](TerminalCore& core) { core.options().OrvinTerminalClick(); }},
    {"CopyToSend1Click", [](TerminalCore& core) { core.transmitter().CopyToSend1Click(); }},
    {"AddLinefeedton1Click", [](TerminalCore& core) { core.options().AddLinefeedton1Click(); }},
    {"SendDataClick", [](TerminalCore& core) { core.transmitter().SendDataClick(); }},
    {"SELECTClick", [](TerminalCore& core) { core.mux().SELECTClick(); }},
    {"CLOSECHClick", [](TerminalCore& core) { core.mux().CLOSECHClick(); }},
    {"COMMANDClick", [](TerminalCore& core) { core.transmitter().COMMANDClick(); }},
    {"SCR1Click", [](TerminalCore& core) { core.transmitter().SCR1Click(); }},
    {"Log1Click", [](TerminalCore& core) { core.capture().Log1Click(); }},
    {"Timestamp1Click", [](TerminalCore& core) { core.options().Timestamp1Click(); }},
    {"DateStamp1Click", [](TerminalCore& core) { core.options().DateStamp1Click(); }},
    {"AutoDetect1Click", [](TerminalCore& core) { core.portControl().AutoDetect1Click(); }},
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
        m_handlers.add(row.name, [core, run = row.run] { run(*core); });
    for (const commands::ModuleCommand& command : commands::catalogue())
        m_handlers.add(command.handler, [core, &command] { commands::run(*core, command); });
    m_handlers.add("HIDTestClick", [core] { commands::HIDTestClick(*core); });
    m_handlers.add("DownloadFileClick", [core] { commands::DownloadFileClick(*core); });

    // The Multiplex box's handler runs after the tick has changed; every change of the
    // Channel text, each typed character included, is a change.
    m_handlers.add("MUX1Click", [this] {
        m_core->preset(&TerminalState::MUX1, m_mux1->isChecked());
        m_core->mux().MUX1Click();
    });
    m_handlers.add("ChannelChange", [this] {
        m_core->shown().setChannelText(m_channel->currentText());
        m_core->mux().ChannelChange();
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
    m_core->preset(layout.shown, !bar->isHidden());
    showOptions();
}

void TMain::iWrapCommands1Click()
{
    const bool wide = !m_core->state().iWrapCommands1;
    m_core->preset(&TerminalState::iWrapCommands1, wide);
    m_panel->setCommandListWidth(wide ? commandListShownWidth : commandListNarrowWidth);
    showOptions();
}
