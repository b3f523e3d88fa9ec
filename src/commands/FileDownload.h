#pragma once

#include <QString>

class TerminalCore;

// Sending a text file to the module, one line after the other, such as a .hex file.
namespace commands {

// The progress text of status panel 1 after `count` lines: "Line 1", "Line 2", ...
QString downloadProgress(int count);

// Asks for the file and sends each of its lines through c_puts, exactly as a button that
// sends through c_puts would, counting them in status panel 1. Runs to the end of the file
// inside the click; a file that cannot be read stops it with a message, and the lines
// already sent stay sent.
void DownloadFileClick(TerminalCore& core);

} // namespace commands
