#pragma once

class TerminalCore;

// The terminal list and the clipboard.
namespace clipboard {

// Every line of the terminal list, in order, each followed by CR LF.
void CopyClick(const TerminalCore& core);
// The clipboard's text as one new last line, line breaks and all; received text goes on
// to this line. Nothing is sent.
void Paste1Click(TerminalCore& core);

} // namespace clipboard
