#pragma once

#include "TerminalState.h"

#include <QChar>
#include <QString>

class DisplayOptions;
class Serial_io;
class ShownTexts;
class TerminalListModel;
class UserPrompts;

// Sending by hand and module commands: the send box, typing into the terminal list, the
// command/data escape, and mc_puts, which frames a module command on the current link in
// multiplexing mode (or while the control link is chosen) and sends it plain otherwise.
// Each operation returns after its last byte is written; the driver paces the bytes.
class Transmitter {
public:
    struct Parts {
        TerminalState& state;
        Serial_io& io;
        TerminalListModel& list;
        DisplayOptions& options;
        ShownTexts& shown;
        UserPrompts& prompts;
    };
    explicit Transmitter(Parts parts);

    void SendDataClick();
    void ListBox1KeyPress(QChar key); // one character the keyboard produced
    void COMMANDClick();
    void SCR1Click();
    void HexModeWrite1Click();
    void CopyToSend1Click();

    void mc_puts(const QString& s);
    // mc_puts on the control link while multiplexing.
    void mc_puts_cmd(const QString& s);

private:
    TerminalState& m_state;
    Serial_io& m_io;
    TerminalListModel& m_list;
    DisplayOptions& m_options;
    ShownTexts& m_shown;
    UserPrompts& m_prompts;
};
