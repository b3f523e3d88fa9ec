// The display options of the View menu.
#include "TerminalCore.h"

namespace {
// Green on Black off, and on.
const ListColours normalColours{QColor(232, 232, 255), QColor(0, 0, 255)};
const ListColours greenOnBlack{QColor(0, 0, 0), QColor(0, 255, 0)};
} // namespace

void TerminalCore::HexModeClick()
{
    st.HexMode = !st.HexMode;
    showHexIndicator();
    emit optionsChanged();
}

void TerminalCore::Echo1Click()
{
    st.Echo1 = !st.Echo1;
    showEchoIndicator();
    emit optionsChanged();
}

void TerminalCore::Unreadable1Click()
{
    st.Unreadable1 = !st.Unreadable1;
    emit optionsChanged();
}

void TerminalCore::Timestamp1Click()
{
    st.Timestamp1 = !st.Timestamp1;
    emit optionsChanged();
}

void TerminalCore::DateStamp1Click()
{
    st.DateStamp1 = !st.DateStamp1;
    emit optionsChanged();
}

void TerminalCore::AddLinefeedton1Click()
{
    st.AddLinefeedton1 = !st.AddLinefeedton1;
    emit optionsChanged();
}

void TerminalCore::OrvinTerminalClick()
{
    st.OrvinTerminal = !st.OrvinTerminal;
    emit optionsChanged();
    emit coloursChanged();
}

ListColours TerminalCore::listColours() const
{
    return st.OrvinTerminal ? greenOnBlack : normalColours;
}
