// The one-click module commands: iWRAP commands for Bluetooth modules and AT commands for
// GainSpan Wi-Fi modules. Where a control's hint differs from what it sends (the pin
// buttons' hints say FF, the commands use the mask FC), the text here is what goes out.
#include "CommandCatalogue.h"

#include <array>
#include <string_view>

namespace commands {
namespace {

constexpr const char* noTwin = nullptr;

constexpr std::array table{
    // Main tool bar; the four module commands also sit on hidden buttons.
    sends("BT_SETClick", {"ToolButton1", "BT_SET"}, Route::mc_puts_cmd, "SET"),
    sends("BT_RESETClick", {"ToolButton2", "BT_RESET"}, Route::mc_puts_cmd, "RESET"),
    sends("INQUIRYClick", {"ToolButton5", "INQUIRY"}, Route::mc_puts_cmd, "INQUIRY 5 NAME"),
    sends("BT_LISTClick", {"ToolButton3", "BT_LIST"}, Route::mc_puts_cmd, "LIST"),
    sends("ToolButton14Click", {"ToolButton14", noTwin}, Route::mc_puts, "PIO SETDIR FC FC"),
    sends("ToolButton15Click", {"ToolButton15", noTwin}, Route::mc_puts, "PIO SET FC FC"),
    sends("ToolButton16Click", {"ToolButton16", noTwin}, Route::mc_puts, "PIO SET FC 00"),
    sends("ToolButton22Click", {"ToolButton22", noTwin}, Route::mc_puts, "PIO SET FC 55"),
    sends("ToolButton23Click", {"ToolButton23", noTwin}, Route::mc_puts, "PIO SET FC AA"),

    // SPP tool bar.
    withMac("CALLClick", {"CALL", noTwin}, "CALL ", " 1101 RFCOMM"),
    sends("SPPAutocallClick", {"SPPAutocall", noTwin}, Route::c_puts,
          "SET CONTROL AUTOCALL 1101 5000 RFCOMM"),
    sends("Button8Click", {"Button8", noTwin}, Route::mc_puts, "SET PROFILE SPP ON"),
    sends("SPPOFFClick", {"SPPOFF", noTwin}, Route::mc_puts, "SET PROFILE SPP"),
    sends("SETBTSSPClick", {"SETBTSSP", noTwin}, Route::mc_puts, "SET BT SSP 3 0"),
    sends("PAGEMODEClick", {"PAGEMODE", noTwin}, Route::mc_puts, "SET BT PAGEMODE 4 2000 1"),

    // BGIO tool bar. Button4Click serves SETDIR; the button named Button4 is HID ON.
    withMac("Button1Click", {"Button1", noTwin}, "CALL ", " " BGIO_SERVICE " RFCOMM"),
    sends("BGIO_AUTOCALLClick", {"BGIO_AUTOCALL", noTwin}, Route::c_puts,
          "SET CONTROL AUTOCALL " BGIO_SERVICE " 5000 RFCOMM"),
    sends("BGIOONClick", {"BGIOON", noTwin}, Route::mc_puts, "SET PROFILE BGIO ON"),
    sends("BGIOOffClick", {"BGIOOff", noTwin}, Route::mc_puts, "SET PROFILE BGIO"),
    rawPins("Button4Click", "SETDIR", {0x00, 0x05, 0x07, 0xFF, 0xFF, 0xFF, 0xFF}),
    rawPins("Button5Click", "Button5", {0x00, 0x05, 0x04, 0xFF, 0xFF, 0xFF, 0xFF}),
    rawPins("Button6Click", "Button6", {0x00, 0x05, 0x04, 0xFF, 0xFF, 0x00, 0x00}),

    // HID tool bar: each visible button has a twin on the hidden inner tool bar.
    withMac("CallHIDClick", {"CallHID", "Button2"}, "CALL ", " 11 HID"),
    withMac("PAIRClick", {"Pair", "Button3"}, "PAIR ", ""),
    sends("HIDOnClick", {"HIDOn", "Button4"}, Route::mc_puts, "SET PROFILE HID Keyboard"),
    sends("HIDOffClick", {"HIDOff", "Button7"}, Route::mc_puts, "SET PROFILE HID"),

    // GainSpan tool bar.
    sends("GS_VerClick", {"GS_Ver", noTwin}, Route::crThen_c_puts, "AT+VER=?"),
    sends("GS_NstatClick", {"GS_Nstat", noTwin}, Route::crThen_c_puts, "AT+NSTAT=?"),
    sends("GS_NDHCPClick", {"GS_NDHCP", noTwin}, Route::crThen_c_puts, "AT+NDHCP=1"),
    sends("ScanTimeClick", {"ScanTime", noTwin}, Route::crThen_c_puts, "ATS5=999"),
    sends("GS_WSClick", {"GS_WS", noTwin}, Route::crThen_c_puts, "AT+WS"),

    // Commands menu. The 38400,8E1 command spells its format "8e1".
    retunes("Set9600Click", "Set9600", "SET CONTROL BAUD 9600,8n1", 9600, parity::none),
    retunes("SET19200Click", "SET19200", "SET CONTROL BAUD 19200,8n1", 19200, parity::none),
    retunes("SET38400Click", "SET38400", "SET CONTROL BAUD 38400,8n1", 38400, parity::none),
    retunes("SET_38400_8E1Click", "SET_38400_8E1", "SET CONTROL BAUD 38400,8e1", 38400,
            parity::even),
    retunes("SET57600Click", "SET57600", "SET CONTROL BAUD 57600,8n1", 57600, parity::none),
    retunes("SET115200Click", "SET115200", "SET CONTROL BAUD 115200,8n1", 115200, parity::none),
    sends("UART_LATENCYClick", {"UART_LATENCY", noTwin}, Route::mc_puts, "SET CONTROL CONFIG 4000"),
    sends("CONTROL_CONFIGClick", {"CONTROL_CONFIG", noTwin}, Route::mc_puts,
          "SET CONTROL CONFIG LIST"),
    sends("SET_BT_SNIFFClick", {"SET_BT_SNIFF", noTwin}, Route::mc_puts, "SET BT SNIFF 4 2"),
    sends("SETBTPAIRClick", {"SETBTPAIR", noTwin}, Route::mc_puts, "SET BT PAIR *"),
    sends("AUTOCALLOFFClick", {"AUTOCALLOFF", noTwin}, Route::mc_puts, "SET CONTROL AUTOCALL"),
    sends("SETBTAUTH4715Click", {"SETBTAUTH4715", noTwin}, Route::mc_puts, "SET BT AUTH * 4715"),
    sends("SETBTAUTHClick", {"SETBTAUTH", noTwin}, Route::mc_puts, "SET BT AUTH *"),
};

} // namespace

std::span<const ModuleCommand> catalogue() { return table; }

const ModuleCommand* commandOf(const char* handler)
{
    if (!handler)
        return nullptr;
    for (const ModuleCommand& command : table)
        if (std::string_view(command.handler) == handler)
            return &command;
    return nullptr;
}

} // namespace commands
