// The one-click module commands: iWRAP commands for Bluetooth modules and AT commands for
// GainSpan Wi-Fi modules: what each handler sends. Which controls run a handler is the
// window's tables' word (ToolBarTables, MenuTables). Where a control's hint differs from
// what it sends (the pin buttons' hints say FF, the commands use the mask FC), the text here
// is what goes out.
#include "CommandCatalogue.h"

#include <array>
#include <string_view>

namespace commands {
namespace {

constexpr std::array table{
    // Main tool bar.
    sends("BT_SETClick", Route::mc_puts_cmd, "SET"),
    sends("BT_RESETClick", Route::mc_puts_cmd, "RESET"),
    sends("INQUIRYClick", Route::mc_puts_cmd, "INQUIRY 5 NAME"),
    sends("BT_LISTClick", Route::mc_puts_cmd, "LIST"),
    sends("ToolButton14Click", Route::mc_puts, "PIO SETDIR FC FC"),
    sends("ToolButton15Click", Route::mc_puts, "PIO SET FC FC"),
    sends("ToolButton16Click", Route::mc_puts, "PIO SET FC 00"),
    sends("ToolButton22Click", Route::mc_puts, "PIO SET FC 55"),
    sends("ToolButton23Click", Route::mc_puts, "PIO SET FC AA"),

    // SPP tool bar.
    withMac("CALLClick", "CALL ", " 1101 RFCOMM"),
    sends("SPPAutocallClick", Route::c_puts, "SET CONTROL AUTOCALL 1101 5000 RFCOMM"),
    sends("Button8Click", Route::mc_puts, "SET PROFILE SPP ON"),
    sends("SPPOFFClick", Route::mc_puts, "SET PROFILE SPP"),
    sends("SETBTSSPClick", Route::mc_puts, "SET BT SSP 3 0"),
    sends("PAGEMODEClick", Route::mc_puts, "SET BT PAGEMODE 4 2000 1"),

    // BGIO tool bar.
    withMac("Button1Click", "CALL ", " " BGIO_SERVICE " RFCOMM"),
    sends("BGIO_AUTOCALLClick", Route::c_puts, "SET CONTROL AUTOCALL " BGIO_SERVICE " 5000 RFCOMM"),
    sends("BGIOONClick", Route::mc_puts, "SET PROFILE BGIO ON"),
    sends("BGIOOffClick", Route::mc_puts, "SET PROFILE BGIO"),
    rawPins("Button4Click", {0x00, 0x05, 0x07, 0xFF, 0xFF, 0xFF, 0xFF}),
    rawPins("Button5Click", {0x00, 0x05, 0x04, 0xFF, 0xFF, 0xFF, 0xFF}),
    rawPins("Button6Click", {0x00, 0x05, 0x04, 0xFF, 0xFF, 0x00, 0x00}),

    // HID tool bar.
    withMac("CallHIDClick", "CALL ", " 11 HID"),
    withMac("PAIRClick", "PAIR ", ""),
    sends("HIDOnClick", Route::mc_puts, "SET PROFILE HID Keyboard"),
    sends("HIDOffClick", Route::mc_puts, "SET PROFILE HID"),

    // GainSpan tool bar.
    sends("GS_VerClick", Route::crThen_c_puts, "AT+VER=?"),
    sends("GS_NstatClick", Route::crThen_c_puts, "AT+NSTAT=?"),
    sends("GS_NDHCPClick", Route::crThen_c_puts, "AT+NDHCP=1"),
    sends("ScanTimeClick", Route::crThen_c_puts, "ATS5=999"),
    sends("GS_WSClick", Route::crThen_c_puts, "AT+WS"),

    // Commands menu. The 38400,8E1 command spells its format "8e1".
    retunes("Set9600Click", "SET CONTROL BAUD 9600,8n1", 9600, parity::none),
    retunes("SET19200Click", "SET CONTROL BAUD 19200,8n1", 19200, parity::none),
    retunes("SET38400Click", "SET CONTROL BAUD 38400,8n1", 38400, parity::none),
    retunes("SET_38400_8E1Click", "SET CONTROL BAUD 38400,8e1", 38400, parity::even),
    retunes("SET57600Click", "SET CONTROL BAUD 57600,8n1", 57600, parity::none),
    retunes("SET115200Click", "SET CONTROL BAUD 115200,8n1", 115200, parity::none),
    sends("UART_LATENCYClick", Route::mc_puts, "SET CONTROL CONFIG 4000"),
    sends("CONTROL_CONFIGClick", Route::mc_puts, "SET CONTROL CONFIG LIST"),
    sends("SET_BT_SNIFFClick", Route::mc_puts, "SET BT SNIFF 4 2"),
    sends("SETBTPAIRClick", Route::mc_puts, "SET BT PAIR *"),
    sends("AUTOCALLOFFClick", Route::mc_puts, "SET CONTROL AUTOCALL"),
    sends("SETBTAUTH4715Click", Route::mc_puts, "SET BT AUTH * 4715"),
    sends("SETBTAUTHClick", Route::mc_puts, "SET BT AUTH *"),
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
