#pragma once

#include <QString>

class TerminalCore;

// A fixed burst of numbered lines for trying out a link on which the module acts as a
// HID keyboard.
namespace commands {

constexpr int hidTestLastLine = 50;

// Test line n: "0. 123,456,789" ... "50. 123,456,789".
QString hidTestLine(int n);

// Sends lines 0 to 50 through mc_puts, one after the other, at the pace of the send alone.
void HIDTestClick(TerminalCore& core);

} // namespace commands
