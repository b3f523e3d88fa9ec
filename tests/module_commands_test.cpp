// The one-click module commands, clicked through the window: the exact bytes the module
// receives, with Multiplex off and on.
#include "CommandCatalogue.h"
#include "MenuTables.h"
#include "ToolBarTables.h"
#include "WindowFixture.h"
#include "WireForms.h"

#include <QAction>
#include <QLineEdit>
#include <set>
#include <span>
#include <utility>
#include <vector>

namespace {

// What the module receives from each send route.
QByteArray withCr(const QByteArray& text) { return text + "\r"; }
QByteArray frame(int link, const QByteArray& data)
{
    return QByteArray(1, char(0xBF)) + char(link) + char(0) + char(data.size()) + data +
           char(link ^ 0xFF);
}

const QByteArray someMac = "00:07:80:12:34:56";
const QByteArray bgioService = "af5c7d47-350b-45f6-bdf6-b403441edb77";
const QByteArray setDir = hexBytes("00 05 07 FF FF FF FF");
const QByteArray setPio = hexBytes("00 05 04 FF FF FF FF");
const QByteArray clrPio = hexBytes("00 05 04 FF FF 00 00");

struct ClickCase {
    std::string name;
    QString control;
    bool multiplex;
    int muxLink;
    QString mac;
    QByteArray wire;
};

void PrintTo(const ClickCase& c, std::ostream* os) { *os << c.name; }

// A control and what it sends with Multiplex off (link 0) and on (link 2), with someMac in
// the MAC box.
struct Command {
    const char* control;
    QByteArray off;
    QByteArray on;
};

// mc_puts commands: the plain form, or a frame on the current link.
Command viaMcPuts(const char* control, const QByteArray& text)
{
    return {control, plain(text), frame(2, text)};
}
// mc_puts_cmd commands: in multiplexing mode a frame on the control link.
Command viaMcPutsCmd(const char* control, const QByteArray& text)
{
    return {control, plain(text), frame(255, text)};
}
// c_puts commands: the text and a CR, in multiplexing mode the text alone.
Command viaCPuts(const char* control, const QByteArray& text)
{
    return {control, withCr(text), text};
}
Command gainSpan(const char* control, const QByteArray& text)
{
    return {control, "\r" + withCr(text), "\r" + text};
}
Command pins(const char* control, const QByteArray& payload)
{
    return {control, payload, frame(2, payload)};
}

const std::vector<Command> everyCommand{
    viaMcPutsCmd("ToolButton1", "SET"),
    viaMcPutsCmd("BT_SET", "SET"),
    viaMcPutsCmd("ToolButton2", "RESET"),
    viaMcPutsCmd("BT_RESET", "RESET"),
    viaMcPutsCmd("ToolButton5", "INQUIRY 5 NAME"),
    viaMcPutsCmd("INQUIRY", "INQUIRY 5 NAME"),
    viaMcPutsCmd("ToolButton3", "LIST"),
    viaMcPutsCmd("BT_LIST", "LIST"),
    viaMcPuts("ToolButton14", "PIO SETDIR FC FC"),
    viaMcPuts("ToolButton15", "PIO SET FC FC"),
    viaMcPuts("ToolButton16", "PIO SET FC 00"),
    viaMcPuts("ToolButton22", "PIO SET FC 55"),
    viaMcPuts("ToolButton23", "PIO SET FC AA"),
    viaMcPuts("CALL", "CALL " + someMac + " 1101 RFCOMM"),
    viaCPuts("SPPAutocall", "SET CONTROL AUTOCALL 1101 5000 RFCOMM"),
    viaMcPuts("Button8", "SET PROFILE SPP ON"),
    viaMcPuts("SPPOFF", "SET PROFILE SPP"),
    viaMcPuts("SETBTSSP", "SET BT SSP 3 0"),
    viaMcPuts("PAGEMODE", "SET BT PAGEMODE 4 2000 1"),
    viaMcPuts("Button1", "CALL " + someMac + " " + bgioService + " RFCOMM"),
    viaCPuts("BGIO_AUTOCALL", "SET CONTROL AUTOCALL " + bgioService + " 5000 RFCOMM"),
    viaMcPuts("BGIOON", "SET PROFILE BGIO ON"),
    viaMcPuts("BGIOOff", "SET PROFILE BGIO"),
    pins("SETDIR", setDir),
    pins("Button5", setPio),
    pins("Button6", clrPio),
    viaMcPuts("CallHID", "CALL " + someMac + " 11 HID"),
    viaMcPuts("Button2", "CALL " + someMac + " 11 HID"),
    viaMcPuts("Pair", "PAIR " + someMac),
    viaMcPuts("Button3", "PAIR " + someMac),
    viaMcPuts("HIDOn", "SET PROFILE HID Keyboard"),
    viaMcPuts("Button4", "SET PROFILE HID Keyboard"),
    viaMcPuts("HIDOff", "SET PROFILE HID"),
    viaMcPuts("Button7", "SET PROFILE HID"),
    gainSpan("GS_Ver", "AT+VER=?"),
    gainSpan("GS_Nstat", "AT+NSTAT=?"),
    gainSpan("GS_NDHCP", "AT+NDHCP=1"),
    gainSpan("ScanTime", "ATS5=999"),
    gainSpan("GS_WS", "AT+WS"),
    viaMcPuts("UART_LATENCY", "SET CONTROL CONFIG 4000"),
    viaMcPuts("CONTROL_CONFIG", "SET CONTROL CONFIG LIST"),
    viaMcPuts("SET_BT_SNIFF", "SET BT SNIFF 4 2"),
    viaMcPuts("SETBTPAIR", "SET BT PAIR *"),
    viaMcPuts("AUTOCALLOFF", "SET CONTROL AUTOCALL"),
    viaMcPuts("SETBTAUTH4715", "SET BT AUTH * 4715"),
    viaMcPuts("SETBTAUTH", "SET BT AUTH *"),
};

const QString designMac = QStringLiteral("Unknown MAC     ");

// Worked examples, with the bytes written out in full.
const std::vector<ClickCase> examples{
    {"SppOnPlain", "Button8", false, 0, designMac,
     hexBytes("0D 53 45 54 20 50 52 4F 46 49 4C 45 20 53 50 50 20 4F 4E 0D 0A")},
    {"SppOnFramedOnLink2", "Button8", true, 2, designMac,
     hexBytes("BF 02 00 12") + "SET PROFILE SPP ON" + hexBytes("FD")},
    {"SetFramedOnTheControlLinkKeepsLink2", "ToolButton1", true, 2, designMac,
     hexBytes("BF FF 00 03 53 45 54 00")},
    {"SetDirFramedOnLink1", "SETDIR", true, 1, designMac,
     hexBytes("BF 01 00 07 00 05 07 FF FF FF FF FE")},
    {"SetDirUnframedOnTheControlLinkWithoutMultiplex", "SETDIR", false, 255, designMac,
     hexBytes("00 05 07 FF FF FF FF")},
    {"SppOnFramedOnTheControlLinkWithoutMultiplex", "Button8", false, 255, designMac,
     frame(255, "SET PROFILE SPP ON")},
    {"VersionPlain", "GS_Ver", false, 0, designMac, hexBytes("0D 41 54 2B 56 45 52 3D 3F 0D")},
    {"VersionInMultiplexIsNeverFramed", "GS_Ver", true, 2, designMac,
     hexBytes("0D 41 54 2B 56 45 52 3D 3F")},
    {"BgioAutocallInMultiplexIsItsTextAlone", "BGIO_AUTOCALL", true, 2, designMac,
     "SET CONTROL AUTOCALL af5c7d47-350b-45f6-bdf6-b403441edb77 5000 RFCOMM"},
    {"CallSppWithTheDesignMac", "CALL", false, 0, designMac,
     plain("CALL Unknown MAC      1101 RFCOMM")},
    {"CallSppWithAnEmptyMac", "CALL", false, 0, "", plain("CALL  1101 RFCOMM")},
    {"PairWithAnEmptyMacEndsInABlank", "Pair", false, 0, "", plain("PAIR ")},
};

std::vector<ClickCase> clickCases()
{
    std::vector<ClickCase> cases;
    for (const Command& c : everyCommand) {
        cases.push_back({std::string(c.control) + "_plain", c.control, false, 0, someMac, c.off});
        cases.push_back({std::string(c.control) + "_multiplex", c.control, true, 2, someMac, c.on});
    }
    cases.insert(cases.end(), examples.begin(), examples.end());
    return cases;
}

class CatalogueClickTest : public WindowFixture, public ::testing::WithParamInterface<ClickCase> {};

TEST_P(CatalogueClickTest, SendsExactlyItsBytes)
{
    const ClickCase& c = GetParam();
    PtyPeer& module = plug(1);
    showWindow();
    showAllToolBars();
    typeMac(c.mac);
    core().preset(&TerminalState::MUX1, c.multiplex);
    core().preset(&TerminalState::muxLink, c.muxLink);

    click(c.control);

    EXPECT_EQ(hexOf(module.readExactly(c.wire.size())), hexOf(c.wire));
    EXPECT_EQ(hexOf(module.read(30)), "");
    EXPECT_EQ(core().state().muxLink, c.muxLink);
}

INSTANTIATE_TEST_SUITE_P(Controls, CatalogueClickTest, ::testing::ValuesIn(clickCases()),
                         [](const auto& info) { return info.param.name; });

// Every control that the window's tables bind to a handler, with that handler's name: the
// tool bars (their inner bars too), the hidden controls and the menus.
std::vector<std::pair<std::string, std::string>> boundControls()
{
    std::vector<std::pair<std::string, std::string>> bound;
    std::vector<std::span<const ControlRow>> bars{hiddenControls()};
    for (const ToolBarLayout& bar : toolBarLayouts())
        bars.push_back(bar.controls);
    for (std::size_t i = 0; i < bars.size(); ++i) {
        const std::span<const ControlRow> bar = bars[i]; // bars grows by the inner bars
        for (const ControlRow& row : bar) {
            if (row.inner)
                bars.push_back(row.inner->controls);
            if (row.handler)
                bound.emplace_back(row.name, row.handler);
        }
    }
    for (const MenuLayout* menu : {&fileMenu, &viewMenu, &commandsMenu, &helpMenu, &popupMenu})
        for (const MenuItemRow& item : menu->items)
            if (item.handler)
                bound.emplace_back(item.name, item.handler);
    return bound;
}

using CopyToSendTest = WindowFixture;

TEST_F(CopyToSendTest, PinCommandsRecordTheirBytesInTheSendBox)
{
    plug(1);
    showWindow();
    showAllToolBars();
    core().preset(&TerminalState::CopyToSend1, true);
    auto* sendBox = control<QLineEdit>("ESend");
    const std::pair<const char*, const char*> records[] = {
        {"SETDIR", "HEX: 00 05 07 FF FF FF FF"},
        {"Button5", "HEX: 00 05 04 FF FF FF FF"},
        {"Button6", "HEX: 00 05 04 FF FF 00 00"},
        {"Button8", "SET PROFILE SPP ON"},
    };
    for (const auto& [button, record] : records) {
        click(button);
        EXPECT_EQ(sendBox->text(), record) << button;
    }
}

// The baud commands: tell the module, then follow it to the new settings.
struct BaudCase {
    const char* item;
    QByteArray command;
    int baudRate;
    int parity;
    const char* parityItem;
    const char* online;
};

void PrintTo(const BaudCase& c, std::ostream* os) { *os << c.item; }

class BaudCommandTest : public WindowFixture, public ::testing::WithParamInterface<BaudCase> {};

TEST_P(BaudCommandTest, SendsTheCommandThenReopensFourTimesAndAsksForSettings)
{
    const BaudCase& c = GetParam();
    PtyPeer& module = plug(1);
    showWindow(); // COM1 at 115200 none 8 1
    clock.forget();

    click(c.item);

    // One reopen per parameter: the new rate with the old parity first.
    const auto& opens = clock.opens();
    ASSERT_EQ(opens.size(), 4u);
    const int parities[] = {0, c.parity, c.parity, c.parity};
    for (std::size_t i = 0; i < opens.size(); ++i) {
        EXPECT_EQ(opens[i].settings.baudRate, c.baudRate) << i;
        EXPECT_EQ(opens[i].settings.parity, parities[i]) << i;
        EXPECT_EQ(opens[i].settings.dataBits, 8) << i;
        EXPECT_EQ(opens[i].settings.stopBits, 1) << i;
    }
    // The command leaves before the first reopen; CR and "SET" 5 ms after the last one.
    const QByteArray command = plain(c.command);
    const QByteArray after = "\r" + plain("SET");
    const auto& writes = clock.writes();
    ASSERT_EQ(writes.size(), std::size_t(command.size() + after.size()));
    EXPECT_LT(writes[std::size_t(command.size()) - 1].at, opens.front().at);
    EXPECT_EQ(writes[std::size_t(command.size())].at, opens.back().at + 5);
    EXPECT_EQ(hexOf(module.readExactly(command.size() + after.size())), hexOf(command + after));

    EXPECT_EQ(window->windowTitle(), QStringLiteral("Serivox COM1 %1").arg(c.online));
    for (const char* item : {"N8DataBits1", "N1stopbit1", c.parityItem})
        EXPECT_TRUE(action(item)->isChecked()) << item;
    EXPECT_TRUE(action(QStringLiteral("B%1").arg(c.baudRate))->isChecked());
    EXPECT_TRUE(prompts.messages.isEmpty());
}

const std::vector<BaudCase> baudCases{
    {"Set9600", "SET CONTROL BAUD 9600,8n1", 9600, 0, "NoParity1", "9600 8N1- Online"},
    {"SET19200", "SET CONTROL BAUD 19200,8n1", 19200, 0, "NoParity1", "19200 8N1- Online"},
    {"SET38400", "SET CONTROL BAUD 38400,8n1", 38400, 0, "NoParity1", "38400 8N1- Online"},
    {"SET_38400_8E1", "SET CONTROL BAUD 38400,8e1", 38400, 2, "EvenParity1", "38400 8E1- Online"},
    {"SET57600", "SET CONTROL BAUD 57600,8n1", 57600, 0, "NoParity1", "57600 8N1- Online"},
    {"SET115200", "SET CONTROL BAUD 115200,8n1", 115200, 0, "NoParity1", "115200 8N1- Online"},
};

INSTANTIATE_TEST_SUITE_P(Rates, BaudCommandTest, ::testing::ValuesIn(baudCases),
                         [](const auto& info) { return std::string(info.param.item); });

TEST_F(BaudCommandTest, InMultiplexingModeTheTextsAreFramesOnTheCurrentLink)
{
    PtyPeer& module = plug(1);
    showWindow();
    core().preset(&TerminalState::MUX1, true);
    core().preset(&TerminalState::muxLink, 1);
    click("Set9600");
    const QByteArray expected = frame(1, "SET CONTROL BAUD 9600,8n1") + "\r" + frame(1, "SET");
    EXPECT_EQ(hexOf(module.readExactly(expected.size())), hexOf(expected));
}

TEST_F(BaudCommandTest, WithNoPortOpenOnlyTheSettingsChange)
{
    profile.link(1, profile.configHome() + "/no-such-device");
    showWindow();
    ASSERT_EQ(prompts.messages, QStringList{"Unable to Open Port COM1"});
    prompts.messages.clear();
    clock.forget();

    click("SET_38400_8E1");

    EXPECT_TRUE(clock.writes().empty());
    EXPECT_TRUE(clock.opens().empty());
    EXPECT_TRUE(prompts.messages.isEmpty());
    for (const char* item : {"B38400", "EvenParity1", "N8DataBits1", "N1stopbit1"})
        EXPECT_TRUE(action(item)->isChecked()) << item;
    EXPECT_EQ(window->windowTitle(), "Serivox COM1 - OffLine");
}

// The controls whose handler runs a module command.
std::set<std::string> commandControls()
{
    std::set<std::string> controls;
    for (const auto& [control, handler] : boundControls())
        if (commands::commandOf(handler.c_str()))
            controls.insert(control);
    return controls;
}

TEST(ControlTablesTest, EveryCatalogueCommandRunsFromAControl)
{
    std::set<std::string> bound;
    for (const auto& binding : boundControls())
        bound.insert(binding.second);
    for (const commands::ModuleCommand& command : commands::catalogue())
        EXPECT_TRUE(bound.contains(command.handler)) << command.handler << " runs from no control";
}

// The click and baud cases above check what every control of a module command sends; a
// control that the tables bind to a command must be among them, and every control there must
// be one.
TEST(ControlTablesTest, EveryControlOfACommandIsClickedAbove)
{
    std::set<std::string> clicked;
    for (const Command& c : everyCommand)
        clicked.insert(c.control);
    for (const BaudCase& c : baudCases)
        clicked.insert(c.item);
    const std::set<std::string> bound = commandControls();
    for (const std::string& control : bound)
        EXPECT_TRUE(clicked.contains(control)) << control << " runs a command no case clicks";
    for (const std::string& control : clicked)
        EXPECT_TRUE(bound.contains(control)) << control << " runs no command";
}

} // namespace
