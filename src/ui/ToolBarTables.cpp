// The tool bars of the main window, left to right: names, captions, hints, widths and
// handlers. Hints that follow the terminal's state (SELECT, CLOSECH, MUX1) and the texts
// of the MAC, send and Channel boxes come from the terminal core.
#include "ToolBarTables.h"

#include "CommandCatalogue.h"

#include <array>

namespace {

using K = ControlRow::Kind;

constexpr ControlRow toolButton(const char* name, const char* icon, const char* hint,
                                const char* handler)
{
    return {.kind = K::ToolButton, .name = name, .caption = icon, .hint = hint, .handler = handler};
}

constexpr ControlRow separator(const char* name) { return {.kind = K::Separator, .name = name}; }

constexpr ControlRow label(const char* name, const char* caption)
{
    return {.kind = K::Label, .name = name, .caption = caption};
}

constexpr ControlRow button(const char* name, const char* caption, int width, const char* hint,
                            const char* handler)
{
    return {.kind = K::Button,
            .name = name,
            .caption = caption,
            .hint = hint,
            .width = width,
            .handler = handler};
}

constexpr ControlRow box(K kind, const char* name, const char* accessibleName, int width,
                         const char* handler = nullptr)
{
    return {.kind = kind,
            .name = name,
            .width = width,
            .handler = handler,
            .accessibleName = accessibleName};
}

#define BGIO_CALL_HINT "CALL MAC_ADDR " BGIO_SERVICE " RFCOMM"

// The pin buttons' hints show the mask FF; the commands they send use FC.
const std::array mainControls{
    toolButton("ToolButton1", "letter-s", "SET", "BT_SETClick"),
    toolButton("ToolButton2", "letter-r", "RESET", "BT_RESETClick"),
    toolButton("ToolButton5", "letter-i", "INQUIRY 5 NAME", "INQUIRYClick"),
    separator("ToolButton4"),
    toolButton("ToolButton3", "letter-l", "LIST", "BT_LISTClick"),
    label("Label1", "  MAC  "),
    box(K::ComboBox, "ComboBox1", "MAC", 121),
    separator("ToolButton9"),
    box(K::EditBox, "ESend", "Text to send", 150),
    button("SendData", "Send", 40, "Send Edit Box data + LF", "SendDataClick"),
    separator("ToolButton19"),
    button("SELECT", "SELECT", 42, "", "SELECTClick"),
    button("CLOSECH", "CLOSE", 45, "", "CLOSECHClick"),
    box(K::ComboBox, "Channel", "Channel", 42, "ChannelChange"),
    separator("ToolButton6"),
    toolButton("ToolButton14", "arrow-right", "PIO SETDIR FF FF", "ToolButton14Click"),
    toolButton("ToolButton15", "lamp-lit", "PIO SET FF FF", "ToolButton15Click"),
    toolButton("ToolButton16", "lamp-dark", "PIO SET FF 00", "ToolButton16Click"),
    toolButton("ToolButton22", "dots-low", "", "ToolButton22Click"),
    toolButton("ToolButton23", "dots-high", "", "ToolButton23Click"),
    separator("ToolButton12"),
    ControlRow{.kind = K::CheckBox,
               .name = "MUX1",
               .caption = "Multiplex",
               .width = 60,
               .handler = "MUX1Click"},
};

const std::array sppControls{
    label("Label2", " SPP"),
    button("CALL", "CALL SPP", 75, "CALL MAC_ADDR 1101 RFCOMM", "CALLClick"),
    separator("ToolButton7"),
    button("SPPAutocall", "SPP AUTOCALL", 88, "SET CONTROL AUTOCALL 1101 5000 RFCOMM",
           "SPPAutocallClick"),
    button("Button8", "SPP ON", 75, "SET PROFILE SPP ON", "Button8Click"),
    button("SPPOFF", "SPP OFF", 75, "SET PROFILE SPP", "SPPOFFClick"),
    separator("ToolButton11"),
    button("SETBTSSP", "SSP 3 0", 75, "SET BT SSP 3 0", "SETBTSSPClick"),
    button("PAGEMODE", "PAGEMODE", 75, "SET BT PAGEMODE 4 2000 1", "PAGEMODEClick"),
    separator("ToolButton13"),
    button("COMMAND", "CMD/DATA", 75, "+++", "COMMANDClick"),
    separator("ToolButton17"),
};

// Button4Click serves SETDIR here; the button named Button4 is HID ON.
const std::array bgioControls{
    label("Label3", "BGIO"),
    button("Button1", "CALL BGIO", 75, BGIO_CALL_HINT, "Button1Click"),
    separator("ToolButton8"),
    button("BGIO_AUTOCALL", "BGIO AUTOCALL", 88,
           "SET CONTROL AUTOCALL af5c7d47-350b-45f6-bdf6-b403441edb77 5000 RFCOMM",
           "BGIO_AUTOCALLClick"),
    button("BGIOON", "BGIO ON", 75, "SET PROFILE BGIO ON", "BGIOONClick"),
    button("BGIOOff", "BGIO OFF", 75, "SET PROFILE BGIO", "BGIOOffClick"),
    separator("ToolButton10"),
    button("SETDIR", "SET DIR", 75, "0 5 7 FF FF FF FF", "Button4Click"),
    button("Button5", "SET PIO", 75, "0 5 4 FF FF FF FF", "Button5Click"),
    button("Button6", "CLR PIO", 75, "0 5 4 FF FF 0 0 ", "Button6Click"),
};

// The HID tool bar's inner tool bar, never shown: twins of the visible HID buttons. The
// window holds it with its other hidden controls (hiddenControls()).
const std::array hidTwinControls{
    label("Label5", "HID"),
    button("Button2", "CALL HID", 75, BGIO_CALL_HINT, "CallHIDClick"),
    separator("ToolButton20"),
    button("Button3", "PAIR", 52, "PAIR[ MAC Address]", "PAIRClick"),
    button("Button4", "HID ON", 75, "SET PROFILE HID Keyboard", "HIDOnClick"),
    button("Button7", "HID OFF", 75, "SET PROFILE HID", "HIDOffClick"),
};
const ToolBarLayout hidTwins{"ToolBar5", "ToolBar4", 25, 25, hidTwinControls};

// The CALL HID hint names the BGIO service; the command sent is the HID call.
// ToolButton18 stands for a row break; the buttons stay in the one row the bar has.
const std::array hidControls{
    separator("ToolButton18"),
    button("CallHID", "CALL HID", 75, BGIO_CALL_HINT, "CallHIDClick"),
    button("Pair", "PAIR", 52, "", "PAIRClick"),
    button("HIDOn", "HID ON", 75, "", "HIDOnClick"),
    button("HIDOff", "HID OFF", 75, "SET PROFILE HID", "HIDOffClick"),
};

const std::array gainSpanControls{
    label("Label6", "GainSpan"),
    button("GS_Ver", "Version", 75, "AT+VER=?", "GS_VerClick"),
    separator("ToolButton21"),
    button("GS_Nstat", "Status", 89, "AT+NSTAT=?", "GS_NstatClick"),
    button("GS_NDHCP", "DHCP Enable", 75, "AT+NDHCP=1", "GS_NDHCPClick"),
    button("ScanTime", "ScanTime", 75, "ATS5=999", "ScanTimeClick"),
    button("GS_WS", "Scan", 75, "AT+WS", "GS_WSClick"),
};

#undef BGIO_CALL_HINT

using S = TerminalState;

const std::array layouts{
    ToolBarLayout{"ToolBar1", "ToolBar1", 30, 22, mainControls},
    ToolBarLayout{"ToolBar2", "ToolBar2", 25, 19, sppControls, "SPP1Click", &S::SPP1},
    ToolBarLayout{"ToolBar3", "ToolBar3", 25, 25, bgioControls, "BGIO1Click", &S::BGIO1},
    ToolBarLayout{"ToolBar4", "ToolBar4", 25, 25, hidControls, "HID1Click", &S::HID1},
    ToolBarLayout{"GainSpanToolBar", "GainSpanToolBar", 25, 25, gainSpanControls, "GainSpan1Click",
                  &S::GainSpan1},
};

// The four module commands of the main tool bar once more, two multiplexing commands bound
// to nothing, the box where the receive loop keeps the last inquiry address, and the inner
// HID tool bar.
const std::array hidden{
    button("BT_SET", "SET", 0, "", "BT_SETClick"),
    button("INQUIRY", "INQUIRY", 0, "", "INQUIRYClick"),
    button("BT_RESET", "RESET", 0, "", "BT_RESETClick"),
    button("BT_LIST", "LIST", 0, "", "BT_LISTClick"),
    button("MUX", "SET CONTROL MUX 1", 0, "", nullptr),
    button("SetMux0", "SET CONTROL MUX 0", 0, "", nullptr),
    label("", "MAC Address"),
    box(K::EditBox, "MAC", "MAC Address", 0),
    ControlRow{.kind = K::ToolBar, .name = "ToolBar5", .inner = &hidTwins},
};

} // namespace

std::span<const ToolBarLayout> toolBarLayouts() { return layouts; }

std::span<const ControlRow> hiddenControls() { return hidden; }
