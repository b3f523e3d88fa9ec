// Sending by hand: the send box, typing into the terminal list, the command/data escape.
#include "TerminalCore.h"

void TerminalCore::SendDataClick() {}

void TerminalCore::ListBox1KeyPress(QChar) {}

void TerminalCore::COMMANDClick() {}

void TerminalCore::SCR1Click() {}

void TerminalCore::HexModeWrite1Click() {}

void TerminalCore::CopyToSend1Click() {}
