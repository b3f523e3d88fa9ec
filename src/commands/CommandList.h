#pragma once

#include <QString>
#include <span>

class TerminalCore;

// The command list beside the terminal: fixed iWRAP command lines, most with a short
// explanation after "//". Choosing a line sends its command.
namespace commands {

std::span<const char* const> iWrapLines();

// What choosing `line` sends: the text before the first "//", without leading and trailing
// blanks and control characters, every "[MAC]" replaced by the MAC box text as it is.
QString commandOfLine(const QString& line, const QString& macText);

// Sends the command of the chosen line through mc_puts.
void IWrapClick(TerminalCore& core, const QString& chosenLine);

} // namespace commands
