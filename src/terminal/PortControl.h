#pragma once

#include "PortItems.h"
#include "PortsFolder.h"
#include "TerminalState.h"

#include <QObject>

class DisplayOptions;
class Serial_io;
class ShownTexts;
class UserPrompts;

// Port control: choosing the port and its line parameters, opening it, noticing its loss
// and reopening it, and auto-detection. Brings the port, the check marks, the status bar
// (panel 0) and the title into agreement with the port and line parameters of the state.
class PortControl : public QObject {
    Q_OBJECT
public:
    struct Parts {
        TerminalState& state;
        Serial_io& io;
        PortsFolder& ports;
        DeviceLister listDevices;
        DisplayOptions& options;
        ShownTexts& shown;
        UserPrompts& prompts;
    };
    explicit PortControl(Parts parts);

    // Opens the port of the state (closing the one open first); a failure shows a message
    // when `show` is set. A negative port number is the port lost a moment ago, already closed.
    void set_com(int show);
    void set_comx(int com, int show);
    void selectLineParameter(int TerminalState::*field, int value);
    const PortMarks& marks() const { return m_marks; }

    // The receive tick's upkeep: an offline terminal tries its last port again ...
    void reopenWhileOffline();
    // ... and a port that no longer answers is closed. True when it was lost.
    bool closeIfLost();

    // Auto-detection: shows only the ports that open, or all again.
    void AutoDetect1Click();
    const PortItemsShown& portItemsShown() const { return m_portItemsShown; }

signals:
    void marksChanged();
    void portItemsShownChanged();
    // The port opened or closed: what the next receive ticks do has changed.
    void portChanged();

private:
    void setMarks(const PortMarks& marks);
    void showTitle();
    void probePorts();

    TerminalState& m_state;
    Serial_io& m_io;
    PortsFolder& m_ports;
    DeviceLister m_listDevices;
    DisplayOptions& m_options;
    ShownTexts& m_shown;
    UserPrompts& m_prompts;
    PortMarks m_marks;
    PortItemsShown m_portItemsShown;
};
