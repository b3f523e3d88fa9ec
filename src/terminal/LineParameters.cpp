#include "LineParameters.h"

bool isMarked(const LineParameterItem& item, const PortMarks& marks)
{
    if (item.field == &TerminalState::baudRate)
        return marks.baudRate == item.value;
    if (item.field == &TerminalState::parity)
        return marks.parity == item.value;
    if (item.field == &TerminalState::dataBits)
        return marks.dataBits == item.value;
    return marks.stopBits == item.value;
}
