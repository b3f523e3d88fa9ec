#pragma once

#include <QString>
#include <array>

// Everything the terminal knows about its port, line parameters and options.
// Plain data: the terminal core's parts change it through their operations, the window
// reads it (TerminalCore::state()).
struct TerminalState {
    // Port and line parameters. portNumber: 0 offline, 1..100 the port in use,
    // -n transiently after port n was lost (already closed).
    int portNumber = 0;
    int lastPort = 0;
    int baudRate = 0;
    int dataBits = 0;
    int parity = 0; // 0 none, 1 odd, 2 even
    int stopBits = 0;
    int muxLink = 0;

    // Options: each is the check mark of the control of the same name.
    bool Echo1 = false;
    bool HexMode = false;
    bool HexModeWrite1 = false;
    bool Unreadable1 = false;
    bool OrvinTerminal = false;
    bool CopyToSend1 = false;
    bool AddLinefeedton1 = false;
    bool iWrapCommands1 = false;
    bool SPP1 = false;
    bool BGIO1 = false;
    bool HID1 = false;
    bool GainSpan1 = false;
    bool Log1 = false;
    bool Timestamp1 = false;
    bool DateStamp1 = false;
    bool MUX1 = false;
    bool AutoDetect1 = false;

    // Capture log and start-up.
    QString logDirectory;
    QString logFileName;
    QString startDirectory;
    QString titleText;
    QString versionText;
};

// The check marks that set_com writes. They are remembered rather than derived from the
// state: a port that failed to open keeps its mark while portNumber is 0.
struct PortMarks {
    int port = 0;     // the ticked port item, 0 for none
    int baudRate = 0; // the ticked baud item's rate, 0 for none
    int parity = -1;  // -1 for none
    int dataBits = 0;
    int stopBits = 0;
    bool operator==(const PortMarks&) const = default;
};

// The six panels of the status bar.
using StatusPanels = std::array<QString, 6>;
