// Sending by hand: the Send button, typing, the command/data escape and the View toggles.
#include "SendFixture.h"

#include <QSignalSpy>
#include <QTest>
#include <QTimer>

namespace {

struct Options {
    bool multiplex = false;
    int link = -1;
    bool hexWrite = false;
};

// The Send button, with Echo and Copy To Send on.
struct SendCase {
    const char* name;
    Options options;
    QString box;
    QByteArray wire;
    QStringList lines;
    QString boxAfter;
};

void PrintTo(const SendCase& c, std::ostream* os) { *os << c.name; }

class SendButtonTest : public SendFixture, public ::testing::WithParamInterface<SendCase> {};

TEST_P(SendButtonTest, SendsTheBoxAsTheOptionsSay)
{
    const SendCase& c = GetParam();
    core->preset(&TerminalState::MUX1, c.options.multiplex);
    core->preset(&TerminalState::muxLink, c.options.link);
    core->preset(&TerminalState::HexModeWrite1, c.options.hexWrite);
    core->preset(&TerminalState::Echo1, true);
    core->preset(&TerminalState::CopyToSend1, true);
    core->shown().setSendBox(c.box);
    core->transmitter().SendDataClick();
    EXPECT_EQ(sent(), c.wire);
    EXPECT_EQ(lines(), c.lines);
    EXPECT_EQ(core->shown().sendBox(), c.boxAfter);
    EXPECT_EQ(core->state().muxLink, c.options.link);
}

const Options plain{};
const Options controlLink{.link = 255};
const Options multiplexOnLink1{.multiplex = true, .link = 1};
const Options hexWrite{.hexWrite = true};
const Options hexWriteInMultiplex{.multiplex = true, .link = 1, .hexWrite = true};

INSTANTIATE_TEST_SUITE_P(
    Rows, SendButtonTest,
    ::testing::Values(SendCase{"plain", plain, "AT", hexBytes("0D 41 54 0D 0A"), {"AT"}, "AT"},
                      SendCase{"controlLink",
                               controlLink,
                               "AT",
                               hexBytes("BF FF 00 02 41 54 00"),
                               {"TX=><0xbf><FF><0x00><02>AT<00>", "RX<= "},
                               "AT"},
                      SendCase{"multiplexAddsCr",
                               multiplexOnLink1,
                               "AT",
                               hexBytes("BF 01 00 03 41 54 0D FE"),
                               {"TX=><0xbf><01><0x00><03>AT\r<FE>", "RX<= "},
                               "AT\r"},
                      SendCase{"hex", hexWrite, "AT", hexBytes("34 31 20 35 34 20 0D"), {""}, "AT"},
                      SendCase{"hexInMultiplexSendsTheCrAsHex",
                               hexWriteInMultiplex,
                               "AT",
                               hexBytes("34 31 20 35 34 20 20 44 20"),
                               {""},
                               "AT"},
                      SendCase{"emptyPlain", plain, "", hexBytes("0D 0D 0A"), {""}, ""},
                      SendCase{"emptyInMultiplex",
                               multiplexOnLink1,
                               "",
                               hexBytes("BF 01 00 01 0D FE"),
                               {"TX=><0xbf><01><0x00><01>\r<FE>", "RX<= "},
                               "\r"},
                      SendCase{"emptyHex", hexWrite, "", hexBytes("0D"), {""}, ""}),
    [](const auto& info) { return std::string(info.param.name); });

// HexMode Write's form of one character: two columns, uppercase, then a space.
struct HexFormCase {
    const char* name;
    QChar key;
    QByteArray wire;
};

void PrintTo(const HexFormCase& c, std::ostream* os) { *os << c.name; }

class HexFormTest : public SendFixture, public ::testing::WithParamInterface<HexFormCase> {};

TEST_P(HexFormTest, TypedCharacterGoesOutAsItsHexForm)
{
    core->preset(&TerminalState::HexModeWrite1, true);
    core->preset(&TerminalState::MUX1, true); // no CR after the form
    core->transmitter().ListBox1KeyPress(GetParam().key);
    EXPECT_EQ(sent(), GetParam().wire);
}

INSTANTIATE_TEST_SUITE_P(
    Characters, HexFormTest,
    ::testing::Values(HexFormCase{"letter", 'A', hexBytes("34 31 20")},
                      HexFormCase{"cr", '\r', hexBytes("20 44 20")},
                      HexFormCase{"nul", QChar(0), hexBytes("20 30 20")},
                      HexFormCase{"highLatin1", QChar(0xE9), hexBytes("45 39 20")},
                      HexFormCase{"aboveFF", QChar(0x100), hexBytes("31 30 30 20")}),
    [](const auto& info) { return std::string(info.param.name); });

// Typing into the terminal list, with Echo on.
struct TypingCase {
    const char* name;
    Options options;
    QString before; // the last line before the key
    QChar key;
    QByteArray wire;
    QStringList lines;
};

void PrintTo(const TypingCase& c, std::ostream* os) { *os << c.name; }

class TypingTest : public SendFixture, public ::testing::WithParamInterface<TypingCase> {};

TEST_P(TypingTest, SendsTheCharacterAndEchoesIt)
{
    const TypingCase& c = GetParam();
    core->preset(&TerminalState::MUX1, c.options.multiplex);
    core->preset(&TerminalState::muxLink, c.options.link);
    core->preset(&TerminalState::HexModeWrite1, c.options.hexWrite);
    core->preset(&TerminalState::Echo1, true);
    if (!c.before.isNull())
        core->list().AddtoList(0, c.before);
    core->transmitter().ListBox1KeyPress(c.key);
    EXPECT_EQ(sent(), c.wire);
    EXPECT_EQ(lines(), c.lines);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, TypingTest,
    ::testing::Values(
        TypingCase{"firstCharacterOpensALine", plain, QString(), 'A', "A", {"A"}},
        TypingCase{"appendsToTheLastLine", plain, "RX<= OK", 'x', "x", {"RX<= OKx"}},
        TypingCase{"backspaceIsAppendedNotApplied", plain, "AB", '\b', "\b", {"AB\b"}},
        TypingCase{"enterIsACr", plain, "AT", '\r', "\r", {"AT\r"}},
        TypingCase{"multiplexSendsRawBytes", multiplexOnLink1, QString(), 'A', "A", {"A"}},
        TypingCase{"controlLinkSendsRawBytes", controlLink, QString(), 'A', "A", {"A"}},
        TypingCase{"wideCharacterSendsItsLowByte",
                   plain,
                   QString(),
                   QChar(0x20AC),
                   "\xAC",
                   {QString(QChar(0x20AC))}},
        TypingCase{"hexFormIsALineOfItsOwn", hexWrite, "old", 'A', "41 \r", {"old", "41 A"}},
        TypingCase{
            "hexFormInMultiplexHasNoCr", hexWriteInMultiplex, QString(), 'A', "41 ", {"41 A"}}),
    [](const auto& info) { return std::string(info.param.name); });

using TransmitTest = SendFixture;

TEST_F(TransmitTest, EscapeIsGuardedByTwoSecondsOfSilence)
{
    core->preset(&TerminalState::CopyToSend1, true);
    core->preset(&TerminalState::Echo1, true);
    const qint64 start = clock.now();
    core->transmitter().COMMANDClick();
    std::vector<qint64> at;
    for (const auto& w : clock.writes())
        at.push_back(w.at - start);
    EXPECT_EQ(at, (std::vector<qint64>{1000, 1010, 1020}));
    EXPECT_EQ(clock.now() - start, 2030);
    EXPECT_EQ(sent(), QByteArray("+++"));
    EXPECT_EQ(core->shown().sendBox(), "+++");
    EXPECT_TRUE(lines().isEmpty());
}

TEST_F(TransmitTest, EscapeIsRefusedInMultiplexMode)
{
    core->preset(&TerminalState::MUX1, true);
    const qint64 start = clock.now();
    core->transmitter().COMMANDClick();
    EXPECT_EQ(prompts.messages, QStringList{"No CMD/Data modes in Multiplex mode"});
    EXPECT_EQ(clock.now(), start);
    EXPECT_EQ(sent(), QByteArray());
}

TEST_F(TransmitTest, SCommandGoesThroughTheModuleSend)
{
    core->transmitter().SCR1Click();
    EXPECT_EQ(sent(), hexBytes("0D 53 0D 0A 0D 0A"));
    core->preset(&TerminalState::muxLink, 255);
    core->transmitter().SCR1Click();
    EXPECT_EQ(sent(), hexBytes("BF FF 00 03 53 0D 0A 00"));
}

// While a send paces its bytes out, the receive timer waits: replies stay in the port.
TEST_F(TransmitTest, RepliesWaitInThePortUntilTheSendEnds)
{
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        ++ticks;
        core->receiver().Timer1Timer();
    });
    timer.start(0);
    module->send("OK\r");
    core->shown().setSendBox("AT");
    core->transmitter().SendDataClick();
    EXPECT_EQ(ticks, 0);
    EXPECT_TRUE(lines().isEmpty());
    EXPECT_EQ(sent(), hexBytes("0D 41 54 0D 0A"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return lines().contains("OK"); }, 5000));
}

TEST_F(TransmitTest, HexModeWriteShowsInPanelThree)
{
    struct Case {
        bool hexRead;
        bool hexWriteAfter;
        QString panel;
    };
    for (const Case& c :
         {Case{false, true, "Hex Write"}, Case{true, false, "Hex"}, Case{false, false, "    "}}) {
        core->preset(&TerminalState::HexMode, c.hexRead);
        core->preset(&TerminalState::HexModeWrite1, !c.hexWriteAfter);
        QSignalSpy options(&core->options(), &DisplayOptions::optionsChanged);
        core->transmitter().HexModeWrite1Click();
        EXPECT_EQ(core->state().HexModeWrite1, c.hexWriteAfter);
        EXPECT_EQ(core->shown().panel(3), c.panel);
        EXPECT_EQ(options.count(), 1);
    }
}

TEST_F(TransmitTest, CopyToSendToggles)
{
    QSignalSpy options(&core->options(), &DisplayOptions::optionsChanged);
    core->transmitter().CopyToSend1Click();
    EXPECT_TRUE(core->state().CopyToSend1);
    core->transmitter().CopyToSend1Click();
    EXPECT_FALSE(core->state().CopyToSend1);
    EXPECT_EQ(options.count(), 2);
}

// With no port open, what does not depend on the port still happens.
struct NoPortCase {
    const char* name;
    Options options;
    std::function<void(TerminalCore&)> act;
    QStringList lines;
    QString box;
    qint64 virtualMs;
};

void PrintTo(const NoPortCase& c, std::ostream* os) { *os << c.name; }

class NoPortTest : public CoreFixture, public ::testing::WithParamInterface<NoPortCase> {};

TEST_P(NoPortTest, SendsNothingButKeepsTheRest)
{
    const NoPortCase& c = GetParam();
    core->preset(&TerminalState::MUX1, c.options.multiplex);
    core->preset(&TerminalState::muxLink, c.options.link);
    core->preset(&TerminalState::HexModeWrite1, c.options.hexWrite);
    core->preset(&TerminalState::Echo1, true);
    core->preset(&TerminalState::CopyToSend1, true);
    core->shown().setSendBox("AT");
    c.act(*core);
    EXPECT_TRUE(clock.writes().empty());
    EXPECT_EQ(lines(), c.lines);
    EXPECT_EQ(core->shown().sendBox(), c.box);
    EXPECT_EQ(clock.now(), c.virtualMs);
}

INSTANTIATE_TEST_SUITE_P(
    Operations, NoPortTest,
    ::testing::Values(NoPortCase{"plainFormCopiesButShowsNothing",
                                 plain,
                                 [](TerminalCore& t) { t.transmitter().SCR1Click(); },
                                 {},
                                 "S\r\n",
                                 20},
                      NoPortCase{"frameShowsItsTraceAndCopies",
                                 multiplexOnLink1,
                                 [](TerminalCore& t) { t.transmitter().SendDataClick(); },
                                 {"TX=><0xbf><01><0x00><03>AT\r<FE>", "RX<= "},
                                 "AT\r",
                                 80},
                      NoPortCase{"hexPathPutsTheBoxBack",
                                 hexWrite,
                                 [](TerminalCore& t) { t.transmitter().SendDataClick(); },
                                 {},
                                 "AT",
                                 0},
                      NoPortCase{"typingIsEchoed",
                                 plain,
                                 [](TerminalCore& t) { t.transmitter().ListBox1KeyPress('x'); },
                                 {"x"},
                                 "AT",
                                 10},
                      NoPortCase{"escapeCopiesAndWaits",
                                 plain,
                                 [](TerminalCore& t) { t.transmitter().COMMANDClick(); },
                                 {},
                                 "+++",
                                 2000}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
