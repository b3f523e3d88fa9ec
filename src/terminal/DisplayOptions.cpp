// The display options of the View menu.
#include "DisplayOptions.h"

#include "ShownTexts.h"
#include "TerminalTexts.h"

namespace {
// Green on Black off, and on.
const ListColours normalColours{QColor(232, 232, 255), QColor(0, 0, 255)};
const ListColours greenOnBlack{QColor(0, 0, 0), QColor(0, 255, 0)};
} // namespace

DisplayOptions::DisplayOptions(TerminalState& state, ShownTexts& shown)
    : m_state(state), m_shown(shown)
{
}

void DisplayOptions::toggle(bool TerminalState::*option)
{
    m_state.*option = !(m_state.*option);
    emit optionsChanged();
}

void DisplayOptions::set(bool TerminalState::*option, bool on)
{
    m_state.*option = on;
    emit optionsChanged();
}

void DisplayOptions::showEchoIndicator()
{
    m_shown.setPanel(2, m_state.Echo1 ? texts::echoOn : texts::panelBlank);
}

void DisplayOptions::showHexIndicator()
{
    m_shown.setPanel(3, m_state.HexModeWrite1 ? texts::hexWrite
                        : m_state.HexMode     ? texts::hexRead
                                              : texts::panelBlank);
}

void DisplayOptions::HexModeClick()
{
    toggle(&TerminalState::HexMode);
    showHexIndicator();
}

void DisplayOptions::Echo1Click()
{
    toggle(&TerminalState::Echo1);
    showEchoIndicator();
}

void DisplayOptions::Unreadable1Click() { toggle(&TerminalState::Unreadable1); }

void DisplayOptions::Timestamp1Click() { toggle(&TerminalState::Timestamp1); }

void DisplayOptions::DateStamp1Click() { toggle(&TerminalState::DateStamp1); }

void DisplayOptions::AddLinefeedton1Click() { toggle(&TerminalState::AddLinefeedton1); }

void DisplayOptions::OrvinTerminalClick()
{
    toggle(&TerminalState::OrvinTerminal);
    emit coloursChanged();
}

ListColours DisplayOptions::listColours() const
{
    return m_state.OrvinTerminal ? greenOnBlack : normalColours;
}
