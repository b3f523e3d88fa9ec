// The fixed menus of the main window: names, captions, hints and handlers.
#include "MenuTables.h"

#include <array>

namespace {

using S = TerminalState;

const std::array fileItems{
    MenuItemRow{"Clear2", "Clear", "Clear1Click"},
    MenuItemRow{"Copy", "Copy", "CopyClick"},
    MenuItemRow{"Log1", "Log", "Log1Click", nullptr, &S::Log1},
    MenuItemRow{"Timestamp1", "Timestamp", "Timestamp1Click", nullptr, &S::Timestamp1},
    MenuItemRow{"DateStamp1", "DateStamp", "DateStamp1Click", nullptr, &S::DateStamp1},
    MenuItemRow{"N1", "-"},
    MenuItemRow{"DownloadFile", "Download File", "DownloadFileClick"},
    MenuItemRow{"N6", "-"},
    MenuItemRow{"PrintSetup", "Print Setup", "PrintSetupClick"},
    MenuItemRow{"Print1", "Print", "Print1Click"},
    MenuItemRow{"N3", "-"},
    MenuItemRow{"Exit1", "E&xit", "Exit1Click"},
};

// The four tool bar items: their ticks mirror whether the tool bar is shown.
const std::array viewItems{
    MenuItemRow{"SPP1", " SPP Toolbar", "SPP1Click", nullptr, &S::SPP1},
    MenuItemRow{"BGIO1", "BGIO Toolbar", "BGIO1Click", nullptr, &S::BGIO1},
    MenuItemRow{"HID1", "HID  Toolbar", "HID1Click", nullptr, &S::HID1},
    MenuItemRow{"GainSpan1", "GainSpan  Toolbar", "GainSpan1Click", nullptr, &S::GainSpan1},
    MenuItemRow{"Echo1", "Echo", "Echo1Click", nullptr, &S::Echo1},
    MenuItemRow{"HexMode", "HexMode Read", "HexModeClick", nullptr, &S::HexMode},
    MenuItemRow{"HexModeWrite1", "HexMode Write", "HexModeWrite1Click", nullptr, &S::HexModeWrite1},
    MenuItemRow{"Unreadable1", "UnReadable", "Unreadable1Click", nullptr, &S::Unreadable1},
    MenuItemRow{"OrvinTerminal", "Green on Black", "OrvinTerminalClick", nullptr,
                &S::OrvinTerminal},
    MenuItemRow{"CopyToSend1", "Copy To Send", "CopyToSend1Click", nullptr, &S::CopyToSend1},
    MenuItemRow{"AddLinefeedton1", "Add Linefeed to \\n", "AddLinefeedton1Click", nullptr,
                &S::AddLinefeedton1},
    MenuItemRow{"iWrapCommands1", "iWrap Commands", "iWrapCommands1Click", nullptr,
                &S::iWrapCommands1},
};

// Two hints lack a blank ("BAUD19200", "baud to115200"); the commands sent have it.
const std::array commandItems{
    MenuItemRow{"Set9600", "9600", "Set9600Click",
                "SET CONTROL BAUD 9600,8n1 and change Serivox baud to 9600"},
    MenuItemRow{"SET19200", "19200", "SET19200Click",
                "SET CONTROL BAUD19200,8n1 and change Serivox baud to 19200"},
    MenuItemRow{"SET38400", "38400", "SET38400Click",
                "SET CONTROL BAUD 38400,8n1 and change Serivox baud to 38400"},
    MenuItemRow{"SET_38400_8E1", "38400,8E1", "SET_38400_8E1Click",
                "SET CONTROL BAUD 38400,8E1 and change Serivox baud to 38400"},
    MenuItemRow{"SET57600", "57600", "SET57600Click",
                "SET CONTROL BAUD 57600,8n1 and change Serivox baud to 57600"},
    MenuItemRow{"SET115200", "115200", "SET115200Click",
                "SET CONTROL BAUD 115200,8n1 and change Serivox baud to115200"},
    MenuItemRow{"UART_LATENCY", "UART_LATENCY", "UART_LATENCYClick", "SET CONTROL CONFIG 4000"},
    MenuItemRow{"CONTROL_CONFIG", "CONTROL_CONFIG", "CONTROL_CONFIGClick",
                "SET CONTROL CONFIG LIST"},
    MenuItemRow{"SET_BT_SNIFF", "SET_BT_SNIFF", "SET_BT_SNIFFClick", "SET BT SNIFF 4 2"},
    MenuItemRow{"SETBTPAIR", "SET BT PAIR *", "SETBTPAIRClick", "SET BT PAIR *"},
    MenuItemRow{"AUTOCALLOFF", "AUTOCALL OFF", "AUTOCALLOFFClick", "SET CONTROL AUTOCALL"},
    MenuItemRow{"HIDTest", "HID Test", "HIDTestClick", "Customised HID Test routine"},
    MenuItemRow{"SETBTAUTH4715", "SET BT AUTH * 4715", "SETBTAUTH4715Click", "SET BT AUTH * 4715"},
    MenuItemRow{"SETBTAUTH", "SET BT AUTH ", "SETBTAUTHClick", "SET BT AUTH * 4715"},
    MenuItemRow{"SCR1", "S<LF>", "SCR1Click"},
};

const std::array helpItems{
    MenuItemRow{"ShowHelp", "Show Help", "ShowHelpClick"},
    MenuItemRow{"About", "About", "AboutClick"},
};

const std::array popupItems{
    MenuItemRow{"Clear1", "Clear", "Clear1Click"},
    MenuItemRow{"Copy1", "Copy", "CopyClick"},
    MenuItemRow{"Paste1", "Paste", "Paste1Click"},
    MenuItemRow{"Print2", "Print", "Print1Click"},
};

} // namespace

const MenuLayout fileMenu{"File1", "&File", fileItems};
const MenuLayout viewMenu{"View1", "View", viewItems};
const MenuLayout commandsMenu{"Commands1", "Commands", commandItems};
const MenuLayout helpMenu{"Help1", "Help", helpItems};
const MenuLayout popupMenu{"PopupMenu1", "", popupItems};
