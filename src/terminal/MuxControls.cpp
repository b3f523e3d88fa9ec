// The multiplexing controls: the Multiplex box, the Channel box, SELECT and CLOSE.
#include "TerminalCore.h"

void TerminalCore::setChannelText(const QString& text) { m_channelText = text; }

void TerminalCore::MUX1Click() {}

void TerminalCore::SELECTClick() {}

void TerminalCore::ChannelChange() {}

void TerminalCore::CLOSECHClick() {}
