#pragma once

#include <QString>

class TerminalCore;

// Sending a text file to the module, one line after the other, such as a .hex file.
namespace commands {

// The progress text of status panel 1 after `count` lines: "Line 1", "Line 2", ...
QString downloadProgress(qint64 count);

// Asks for the file and sends each of its lines through c_puts, exactly as a button that
// sends through c_puts would, counting them in status panel 1. The file is measured first
// (its lines and the time they take at the pace); a send of more than a minute is asked
// about. Runs inside the click, followed and stoppable through core.download(): a stop
// ends it after the byte being paced and notes in the terminal list where it stopped. A
// file that cannot be read stops it with a message, and the lines already sent stay sent.
void DownloadFileClick(TerminalCore& core);

} // namespace commands
