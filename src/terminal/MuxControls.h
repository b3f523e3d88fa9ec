#pragma once

#include "TerminalState.h"

class DisplayOptions;
class Serial_io;
class ShownTexts;
class Transmitter;
class UserPrompts;

// The multiplexing controls: the Multiplex box (MUX1), the Channel box, SELECT and CLOSE,
// and the hints that show the command each would send.
class MuxControls {
public:
    struct Parts {
        TerminalState& state;
        Serial_io& io;
        Transmitter& transmitter;
        DisplayOptions& options;
        ShownTexts& shown;
        UserPrompts& prompts;
    };
    explicit MuxControls(Parts parts);

    void MUX1Click(); // runs after the MUX1 option has changed
    void SELECTClick();
    void ChannelChange(); // runs on every change of the Channel text
    void CLOSECHClick();

private:
    void showChannelHints();

    TerminalState& m_state;
    Serial_io& m_io;
    Transmitter& m_transmitter;
    DisplayOptions& m_options;
    ShownTexts& m_shown;
    UserPrompts& m_prompts;
};
