// The display options of the View menu.
#include "TerminalCore.h"

namespace {
// Green on Black off, and on.
const ListColours normalColours{QColor(232, 232, 255), QColor(0, 0, 255)};
const ListColours greenOnBlack{QColor(0, 0, 0), QColor(0, 255, 0)};
} // namespace

void TerminalCore::toggleOption(bool TerminalState::*option)
{
    st.*option = !(st.*option);
    emit optionsChanged();
}

void TerminalCore::HexModeClick()
{
    toggleOption(&TerminalState::HexMode);
    showHexIndicator();
}

void TerminalCore::Echo1Click()
{
    toggleOption(&TerminalState::Echo1);
    showEchoIndicator();
}

void TerminalCore::Unreadable1Click() { toggleOption(&TerminalState::Unreadable1); }

void TerminalCore::Timestamp1Click() { toggleOption(&TerminalState::Timestamp1); }

void TerminalCore::DateStamp1Click() { toggleOption(&TerminalState::DateStamp1); }

void TerminalCore::AddLinefeedton1Click() { toggleOption(&TerminalState::AddLinefeedton1); }

void TerminalCore::OrvinTerminalClick()
{
    toggleOption(&TerminalState::OrvinTerminal);
    emit coloursChanged();
}

ListColours TerminalCore::listColours() const
{
    return st.OrvinTerminal ? greenOnBlack : normalColours;
}
