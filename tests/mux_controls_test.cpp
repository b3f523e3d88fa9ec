// The multiplexing controls: the Multiplex box, the Channel box, SELECT and CLOSE.
#include "SendFixture.h"

#include <QSignalSpy>

namespace {

class MuxControlsTest : public SendFixture {
protected:
    void tickMultiplex(bool on)
    {
        core->preset(&TerminalState::MUX1, on);
        core->mux().MUX1Click();
    }
    void typeChannel(const QString& text)
    {
        core->shown().setChannelText(text);
        core->mux().ChannelChange();
    }
    QString hint(const char* control) const { return core->shown().hint(control); }
};

TEST_F(MuxControlsTest, TickingSendsTheCommandUnframedAndChoosesTheControlLink)
{
    core->preset(&TerminalState::Echo1, true);
    core->preset(&TerminalState::Unreadable1, true);
    QSignalSpy options(&core->options(), &DisplayOptions::optionsChanged);
    QSignalSpy hints(&core->shown(), &ShownTexts::hintChanged);
    tickMultiplex(true);
    EXPECT_EQ(sent(), QByteArray("SET CONTROL MUX 1\r"));
    EXPECT_EQ(lines(), QStringList{"SET CONTROL MUX 1"});
    EXPECT_EQ(core->state().muxLink, 255);
    EXPECT_FALSE(core->state().Unreadable1);
    EXPECT_GE(options.count(), 1);
    EXPECT_EQ(hint("MUX1"), "SET CONTROL MUX 0");
    ASSERT_EQ(hints.count(), 1);
    EXPECT_EQ(hints[0], (QVariantList{"MUX1", "SET CONTROL MUX 0"}));
}

TEST_F(MuxControlsTest, ClearingRightAfterSendsAFrameAndEndsFraming)
{
    tickMultiplex(true);
    sent();
    tickMultiplex(false);
    EXPECT_EQ(sent(), hexBytes("BF FF 00 11") + "SET CONTROL MUX 0" + hexBytes("00"));
    EXPECT_EQ(core->state().muxLink, -1);
    EXPECT_EQ(hint("MUX1"), "SET CONTROL MUX 1");
    core->transmitter().mc_puts("SET");
    EXPECT_EQ(sent(), hexBytes("0D 53 45 54 0D 0A"));
}

TEST_F(MuxControlsTest, ClearingOnADataLinkSendsThePlainForm)
{
    tickMultiplex(true);
    typeChannel("2");
    sent();
    tickMultiplex(false);
    EXPECT_EQ(sent(), QByteArray("\rSET CONTROL MUX 0\r\n"));
    EXPECT_EQ(core->state().muxLink, -1);
}

// Start-up runs the handler with the box clear before any port is open.
TEST(MuxStartUpTest, ClearHandlerBeforeOpeningShowsAndSendsNothing)
{
    TestProfile profile;
    VirtualClock clock;
    ScriptedPrompts prompts;
    TerminalCore core(prompts, profile.platform(clock));
    core.preset(&TerminalState::Echo1, true);
    core.mux().MUX1Click();
    EXPECT_EQ(core.lines().count(), 0);
    EXPECT_EQ(core.state().muxLink, -1);
    EXPECT_EQ(core.shown().hint("MUX1"), "SET CONTROL MUX 1");
}

TEST_F(MuxControlsTest, EveryTypedChannelTextSelectsOnTheControlLink)
{
    tickMultiplex(true);
    sent();
    QSignalSpy hints(&core->shown(), &ShownTexts::hintChanged);
    typeChannel("1");
    typeChannel("12");
    EXPECT_EQ(sent(), hexBytes("BF FF 00 08") + "SELECT 1" + hexBytes("00") +
                          hexBytes("BF FF 00 09") + "SELECT 12" + hexBytes("00"));
    EXPECT_EQ(core->state().muxLink, 12);
    EXPECT_EQ(hint("SELECT"), "SELECT 12");
    EXPECT_EQ(hint("CLOSECH"), "CLOSE 12");
    EXPECT_EQ(hints.count(), 4);
    core->transmitter().mc_puts("AT");
    EXPECT_EQ(sent(), hexBytes("BF 0C 00 02 41 54 F3"));
}

TEST_F(MuxControlsTest, ChoosingTheControlLinkWithMultiplexOffSendsNothingButFrames)
{
    typeChannel("255");
    EXPECT_EQ(sent(), QByteArray());
    EXPECT_EQ(core->state().muxLink, 255);
    core->transmitter().mc_puts("SET");
    EXPECT_EQ(sent(), hexBytes("BF FF 00 03 53 45 54 00"));
}

TEST_F(MuxControlsTest, CloseSendsTheChannelTextAndKeepsTheLink)
{
    core->preset(&TerminalState::muxLink, 3);
    core->shown().setChannelText("3");
    core->mux().CLOSECHClick();
    EXPECT_EQ(sent(), QByteArray("\rCLOSE 3\r\n"));
    EXPECT_EQ(hint("CLOSECH"), "CLOSE 3");
    EXPECT_EQ(hint("SELECT"), "SELECT 3");

    core->preset(&TerminalState::MUX1, true);
    core->preset(&TerminalState::muxLink, 2);
    core->shown().setChannelText("2");
    core->mux().CLOSECHClick();
    EXPECT_EQ(sent(), hexBytes("BF FF 00 07") + "CLOSE 2" + hexBytes("00"));
    EXPECT_EQ(core->state().muxLink, 2);
}

TEST_F(MuxControlsTest, ABadChannelTextIsSentThenRefused)
{
    tickMultiplex(true);
    typeChannel("1");
    sent();
    typeChannel("1x");
    EXPECT_EQ(sent(), hexBytes("BF FF 00 09") + "SELECT 1x" + hexBytes("00"));
    EXPECT_EQ(prompts.messages, QStringList{"'1x' is not a valid integer value"});
    EXPECT_EQ(core->state().muxLink, 1);
    EXPECT_EQ(hint("SELECT"), "SELECT 1x"); // the change itself rewrote the hints
}

TEST_F(MuxControlsTest, ARefusedSelectLeavesTheHints)
{
    typeChannel("4");
    core->shown().setChannelText("");
    core->mux().SELECTClick();
    EXPECT_EQ(prompts.messages, QStringList{"'' is not a valid integer value"});
    EXPECT_EQ(core->state().muxLink, 4);
    EXPECT_EQ(hint("SELECT"), "SELECT 4");
    EXPECT_EQ(hint("CLOSECH"), "CLOSE 4");
}

// How a Channel text reads as a link; nullopt where the conversion fails.
struct ChannelCase {
    const char* name;
    QString text;
    std::optional<int> link;
};

void PrintTo(const ChannelCase& c, std::ostream* os) { *os << c.name; }

class ChannelTextTest : public SendFixture, public ::testing::WithParamInterface<ChannelCase> {};

TEST_P(ChannelTextTest, ReadsAsThePlatformReadsIntegers)
{
    const ChannelCase& c = GetParam();
    core->preset(&TerminalState::muxLink, 77);
    core->shown().setChannelText(c.text);
    core->mux().SELECTClick();
    if (c.link) {
        EXPECT_EQ(core->state().muxLink, *c.link);
        EXPECT_TRUE(prompts.messages.isEmpty());
    } else {
        EXPECT_EQ(core->state().muxLink, 77);
        EXPECT_EQ(prompts.messages,
                  QStringList{QStringLiteral("'%1' is not a valid integer value").arg(c.text)});
    }
    EXPECT_EQ(sent(), QByteArray());
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ChannelTextTest,
    ::testing::Values(ChannelCase{"decimal", "6", 6}, ChannelCase{"leadingBlanks", "  12", 12},
                      ChannelCase{"plusSign", "+5", 5}, ChannelCase{"minusSign", "-1", -1},
                      ChannelCase{"dollarHex", "$1F", 31}, ChannelCase{"zeroXHex", "0x1f", 31},
                      ChannelCase{"upperZeroXHex", "0XFF", 255},
                      ChannelCase{"signedHex", "-$10", -16},
                      ChannelCase{"largest", "2147483647", 2147483647},
                      ChannelCase{"smallest", "-2147483648", -2147483647 - 1},
                      ChannelCase{"empty", "", std::nullopt},
                      ChannelCase{"onlyBlanks", "   ", std::nullopt},
                      ChannelCase{"letters", "abc", std::nullopt},
                      ChannelCase{"trailingBlank", "12 ", std::nullopt},
                      ChannelCase{"trailingJunk", "1a", std::nullopt},
                      ChannelCase{"hexDigitsWithoutPrefix", "FF", std::nullopt},
                      ChannelCase{"prefixWithoutDigits", "0x", std::nullopt},
                      ChannelCase{"dollarWithoutDigits", "$", std::nullopt},
                      ChannelCase{"signWithoutDigits", "-", std::nullopt},
                      ChannelCase{"decimalPoint", "1.5", std::nullopt},
                      ChannelCase{"tooLarge", "2147483648", std::nullopt},
                      ChannelCase{"tooLargeHex", "$FFFFFFFF", std::nullopt},
                      ChannelCase{"farTooLarge", "99999999999999999999999", std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
