#include "HidTest.h"

#include "TerminalCore.h"

namespace commands {

QString hidTestLine(int n) { return QString::asprintf("%d. 123,456,789", n); }

void HIDTestClick(TerminalCore& core)
{
    for (int n = 0; n <= hidTestLastLine; ++n)
        core.transmitter().mc_puts(hidTestLine(n));
}

} // namespace commands
