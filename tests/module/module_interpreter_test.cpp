// The simulated module's command interpreters, driven directly on a clock of the test's own.
#include "CommandCatalogue.h"
#include "CommandList.h"
#include "ModuleSession.h"
#include "SimulatedDevices.h"

#include <gtest/gtest.h>

namespace {

struct Exchange {
    const char* name;
    std::vector<const char*> before; // commands sent first, their replies not looked at
    const char* command;
    std::vector<const char*> reply; // lines expected in this order (others may lie between)
    const char* absent = nullptr;   // a text that must not be in the reply
};

void PrintTo(const Exchange& e, std::ostream* os) { *os << e.name; }

class Interpreter : public ::testing::TestWithParam<Exchange> {};

TEST_P(Interpreter, AnswersAsAModuleWould)
{
    const Exchange& e = GetParam();
    ModuleSession session;
    for (const char* command : e.before)
        session.command(QLatin1String(command));
    const QByteArray reply = session.command(QLatin1String(e.command));
    const QStringList lines = ModuleSession::lines(reply);
    qsizetype at = 0;
    for (const char* expected : e.reply) {
        while (at < lines.size() && lines[at] != QLatin1String(expected))
            ++at;
        ASSERT_LT(at, lines.size()) << "missing or out of order: " << expected << "\nreply:\n"
                                    << reply.toStdString();
        ++at;
    }
    if (e.absent) {
        EXPECT_FALSE(reply.contains(e.absent)) << reply.toStdString();
    }
}

const Exchange exchanges[] = {
    {"ResetBootsToReady", {}, "RESET", {"READY."}},
    {"SetListsDefaultsAndEndsWithSet",
     {},
     "SET",
     {"SET BT BDADDR 00:07:80:5e:71:0a", "SET CONTROL BAUD 115200,8n1", "SET"},
     "PROFILE"},
    {"SppOnIsListed",
     {"SET PROFILE SPP ON"},
     "SET",
     {"SET PROFILE SPP Bluetooth Serial Port", "SET"}},
    {"SppWithoutValueIsOff",
     {"SET PROFILE SPP ON", "SET PROFILE SPP"},
     "SET",
     {"SET"},
     "PROFILE SPP"},
    {"NameKeepsItsBlanks", {"SET BT NAME Kitchen  radio"}, "SET", {"SET BT NAME Kitchen radio"}},
    {"PageModeAndSspAreListed",
     {"SET BT PAGEMODE 4 2000 1", "SET BT SSP 3 0"},
     "SET",
     {"SET BT PAGEMODE 4 2000 1", "SET BT SSP 3 0"}},
    {"BaudIsListed", {"SET CONTROL BAUD 38400,8e1"}, "SET", {"SET CONTROL BAUD 38400,8e1"}},
    {"NonstandardBaudIsRefused", {}, "SET CONTROL BAUD 12345,8n1", {"SYNTAX ERROR"}},
    {"RefusedBaudKeepsTheOldOne",
     {"SET CONTROL BAUD 12345,8n1"},
     "SET",
     {"SET CONTROL BAUD 115200,8n1"}},
    {"PinIsListedUntilCleared", {"SET BT AUTH * 4715"}, "SET", {"SET BT AUTH * 4715"}},
    {"PinCleared", {"SET BT AUTH * 4715", "SET BT AUTH *"}, "SET", {"SET"}, "AUTH"},
    {"AutocallClearedByEmptyValue",
     {"SET CONTROL AUTOCALL 1101 5000 RFCOMM", "SET CONTROL AUTOCALL"},
     "SET",
     {"SET"},
     "AUTOCALL"},
    {"PairingIsListed",
     {"PAIR 00:07:80:12:34:56"},
     "SET",
     {"SET BT PAIR 00:07:80:12:34:56 8d4a5b3c2f1e0d9c8b7a695847362514"}},
    {"PairingsForgotten",
     {"PAIR 00:07:80:12:34:56", "SET BT PAIR *"},
     "SET",
     {"SET"},
     "BT PAIR 00"},
    {"FactoryResetForgetsSettings",
     {"SET BT NAME Other", "SET RESET"},
     "SET",
     {"SET BT NAME Serivox Sim"}},
    {"MuxIsOnOrOff", {}, "SET CONTROL MUX 2", {"SYNTAX ERROR"}},
    {"UnknownSettingIsASyntaxError", {}, "SET BT COLOUR blue", {"SYNTAX ERROR"}},
    {"BdaddrIsReadOnly", {}, "SET BT BDADDR 00:00:00:00:00:01", {"SYNTAX ERROR"}},
    {"BdaddrCannotBeCleared", {"SET BT BDADDR"}, "SET", {"SET BT BDADDR 00:07:80:5e:71:0a"}},
    {"UnknownCommand", {}, "FROBNICATE 3", {"SYNTAX ERROR"}},
    {"CommandsIgnoreCase", {}, "reset", {"READY."}},
    {"InquiryReportsEveryDevice",
     {},
     "INQUIRY 5",
     {"INQUIRY_PARTIAL 00:07:80:12:34:56 240404", "INQUIRY 3", "INQUIRY 00:07:80:12:34:56 240404",
      "INQUIRY 00:1a:7d:da:71:13 5a020c"},
     "NAME"},
    {"InquiryWithNames",
     {},
     "INQUIRY 5 NAME",
     {"INQUIRY 3", "NAME 00:07:80:12:34:56 \"Headset Sim\"",
      "NAME 00:1a:7d:da:71:13 \"Phone Sim\""}},
    {"InquiryOfNoTime", {}, "INQUIRY 0", {"SYNTAX ERROR"}},
    {"CallToAKnownDevice",
     {},
     "CALL 00:07:80:12:34:56 1101 RFCOMM",
     {"CALL 0", "CONNECT 0 RFCOMM 1"}},
    {"CallIgnoresAddressCase", {}, "CALL 00:07:80:9A:BC:DE 1101 RFCOMM", {"CONNECT 0 RFCOMM 1"}},
    {"CallToAServiceUuid",
     {},
     "CALL 00:07:80:12:34:56 af5c7d47-350b-45f6-bdf6-b403441edb77 RFCOMM",
     {"CALL 0", "CONNECT 0 RFCOMM 1"}},
    {"CallHid", {}, "CALL 00:07:80:12:34:56 11 HID", {"CALL 0", "CONNECT 0 HID 11"}},
    {"CallToNobody",
     {},
     "CALL 00:11:22:33:44:55 1101 RFCOMM",
     {"CALL 0", "NO CARRIER 0 ERROR c04 HCI_ERROR_PAGE_TIMEOUT"}},
    {"CallToAMissingService",
     {},
     "CALL 00:07:80:12:34:56 1234 RFCOMM",
     {"CALL 0", "NO CARRIER 0 ERROR 406 RFC_CONNECTION_FAILED"}},
    {"CallWithoutAddress", {}, "CALL [MAC] 1101 RFCOMM", {"SYNTAX ERROR"}},
    {"ListWithoutConnections", {}, "LIST", {"LIST 0"}},
    {"PinsSetThroughTheMask", {"PIO SET FC 55"}, "PIO GET", {"PIO GET 54"}},
    {"PinDirections", {"PIO SETDIR FC FC"}, "PIO GETDIR", {"PIO GETDIR fc"}},
    {"PinCommandWithoutValue", {}, "PIO SET FC", {"SYNTAX ERROR"}},
    {"NameOfAKnownDevice", {}, "NAME 00:07:80:9a:bc:de", {"NAME 00:07:80:9a:bc:de \"Serial Sim\""}},
    {"NameOfNobody",
     {},
     "NAME 00:11:22:33:44:55",
     {"NAME ERROR 0x104 00:11:22:33:44:55 HCI_ERROR_PAGE_TIMEOUT"}},
    {"PairWithNobody", {}, "PAIR 00:11:22:33:44:55", {"PAIR 00:11:22:33:44:55 FAIL"}},
    {"AtAlone", {}, "AT", {"OK"}},
    {"AtVersion", {}, "AT+VER=?", {"APP VERSION=1.0.0-sim", "OK"}},
    {"AtStatusBeforeDhcp", {}, "AT+NSTAT=?", {"OK"}, "192.168.50.23"},
    {"AtStatusAfterDhcp",
     {"AT+NDHCP=1"},
     "AT+NSTAT=?",
     {"IP addr=192.168.50.23   SubNet=255.255.255.0   Gateway=192.168.50.1", "OK"}},
    {"AtRegister", {}, "ATS5=999", {"OK"}},
    {"AtScan", {}, "AT+WS", {"No.Of AP Found:2", "OK"}},
    {"AtUnknown", {}, "AT+FROB=1", {"ERROR"}},
};

INSTANTIATE_TEST_SUITE_P(Commands, Interpreter, ::testing::ValuesIn(exchanges),
                         [](const auto& info) { return std::string(info.param.name); });

// Every command the terminal can send with one click, or from its command list, gets an
// answer or is taken silently, as a module takes a setting; none is a syntax error.
TEST(Interpreter, UnderstandsEveryCommandTheTerminalSends)
{
    const QString mac = QLatin1String(simulatedDevices()[0].address);
    QStringList sent;
    for (const char* line : commands::iWrapLines())
        if (const QString command = commands::commandOfLine(QLatin1String(line), mac);
            !command.isEmpty())
            sent << command;
    for (const commands::ModuleCommand& command : commands::catalogue())
        if (command.route != commands::Route::rawPins)
            sent << commands::commandText(command, mac);
    ASSERT_GT(sent.size(), 60);
    for (const QString& command : sent) {
        ModuleSession session;
        const QByteArray reply = session.command(command);
        EXPECT_FALSE(reply.contains("ERROR\r\n") && !reply.contains("NO CARRIER"))
            << command.toStdString() << " -> " << reply.toStdString();
    }
}

TEST(Interpreter, LinesEndOnCrOrLfAndEmptyLinesAreIgnored)
{
    ModuleSession session;
    EXPECT_EQ(session.bytes("LIST\nLIST\r\r\n\n  \rLIST\r", 0),
              QByteArray("LIST 0\r\nLIST 0\r\nLIST 0\r\n"));
    // A line in pieces is one command.
    EXPECT_EQ(session.bytes("LI", 0), QByteArray());
    EXPECT_EQ(session.bytes("ST\r", 0), QByteArray("LIST 0\r\n"));
}

// Bytes that cannot be part of a command (the raw pin packets among them) are left out of the
// line, so they do not spoil the next command.
TEST(Interpreter, UnprintableBytesDoNotSpoilACommand)
{
    ModuleSession session;
    const QByteArray pins("\x00\x05\x07\xFF\xFF\xFF\xFF", 7);
    EXPECT_EQ(session.bytes(pins + "LIST\r", 0), QByteArray("LIST 0\r\n"));
}

TEST(Interpreter, OverlongLineIsASyntaxErrorNotACommand)
{
    ModuleSession session;
    const QByteArray longLine = "RESET" + QByteArray(Module::longestLine, ' ') + "X\r";
    EXPECT_EQ(session.bytes(longLine, 0), QByteArray("SYNTAX ERROR\r\n"));
    EXPECT_EQ(session.command(QStringLiteral("LIST")), QByteArray("LIST 0\r\n"));
}

// The inquiry takes its seconds: nothing final before the end, and cancelling it reports
// what was found so far.
TEST(Interpreter, InquiryTakesItsTimeAndCanBeCancelled)
{
    ModuleSession session(1.0);
    EXPECT_EQ(session.command(QStringLiteral("INQUIRY 4"), 0), QByteArray());
    const QByteArray early = session.wait(1500); // first device at 1 s of 4
    EXPECT_EQ(early, QByteArray("INQUIRY_PARTIAL 00:07:80:12:34:56 240404\r\n"));
    EXPECT_EQ(session.command(QStringLiteral("IC"), 0),
              QByteArray("INQUIRY 1\r\nINQUIRY 00:07:80:12:34:56 240404\r\n"));
    EXPECT_EQ(session.wait(10000), QByteArray());
}

TEST(Interpreter, ResetClosesConnections)
{
    ModuleSession session;
    session.command(QStringLiteral("CALL 00:07:80:12:34:56 1101 RFCOMM"));
    session.wait(2000);
    session.bytes("+++");
    session.wait(2000);
    session.command(QStringLiteral("RESET"));
    EXPECT_EQ(session.command(QStringLiteral("LIST")), QByteArray("LIST 0\r\n"));
}

} // namespace
