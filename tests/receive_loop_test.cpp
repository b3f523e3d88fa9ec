// The receive loop: what bytes from the module become in the terminal list.
#include "CoreFixture.h"
#include "TtyDevice.h"

#include <QCoreApplication>
#include <QSignalSpy>
#include <memory>
#include <random>

namespace {

struct Options {
    bool hex = false;
    bool unreadable = false;
    bool echo = false;
    bool linefeedEndsLine = false;
};

struct RenderCase {
    const char* name;
    QByteArray bytes;
    Options options;
    QStringList lines;
};

void PrintTo(const RenderCase& c, std::ostream* os) { *os << c.name; }

class RenderTest : public CoreFixture, public ::testing::WithParamInterface<RenderCase> {};

TEST_P(RenderTest, ShowsBytesAsTheOptionsSay)
{
    const RenderCase& c = GetParam();
    startOn(1);
    core->preset(&TerminalState::HexMode, c.options.hex);
    core->preset(&TerminalState::Unreadable1, c.options.unreadable);
    core->preset(&TerminalState::Echo1, c.options.echo);
    core->preset(&TerminalState::AddLinefeedton1, c.options.linefeedEndsLine);
    receive(c.bytes);
    EXPECT_EQ(lines(), c.lines);
}

const Options hex{.hex = true};
const Options unreadable{.unreadable = true};
const Options echo{.echo = true};
const Options linefeeds{.linefeedEndsLine = true};

INSTANTIATE_TEST_SUITE_P(
    Bytes, RenderTest,
    ::testing::Values(
        RenderCase{"firstByteOpensALineWithoutPrefix", "A", echo, {"A"}},
        RenderCase{"crEndsTheLineAndEchoPrefixesTheNext", "OK\r", echo, {"OK", "RX<= "}},
        RenderCase{"lfAddsNothingByDefault", "OK\r\n", {}, {"OK", ""}},
        RenderCase{"lfEndsALineWhenAsked", "OK\r\n", linefeeds, {"OK", "", ""}},
        RenderCase{"hexShowsAndStillEndsOnCr", "OK\r", hex, {"4F 4B 0D ", ""}},
        RenderCase{"codeInBrackets", "\xBF", {}, {"<BF>"}},
        RenderCase{"unreadableAsCharacter", "\xBF", unreadable, {QString(QChar(0xBF))}},
        RenderCase{"tabIsACodeAndDelIsACharacter", "\t\x7F", {}, {"<09>\x7F"}},
        RenderCase{"nulAndHighBytes", QByteArray("\x00\xFF", 2), {}, {"<00><FF>"}},
        RenderCase{"backspaceRemovesTheLastCharacter", "AB\bC", {}, {"AC"}},
        RenderCase{"backspaceOnAnEmptyLineRemovesNothing", "\b", {}, {""}},
        RenderCase{"backspaceInHexIsShown", "A\b", hex, {"41 08 "}},
        RenderCase{"clearScreenEmptiesTheList", "old\r\x1b[2Jnew", {}, {"new"}},
        RenderCase{"clearScreenAlsoInHex", "old\r\x1b[2J", hex, {""}},
        RenderCase{"otherEscapesShowTheirCharacters", "\x1b[2K", {}, {"\x1b[2K"}},
        RenderCase{"otherEscapesInHex", "\x1b[31", hex, {"1B 5B 33 31 "}},
        RenderCase{"crInsideAnEscapeEndsNoLine", "\x1b\r\r\rA", {}, {"\x1b\r\r\rA"}}),
    [](const auto& info) { return std::string(info.param.name); });

using ReceiveTest = CoreFixture;

TEST_F(ReceiveTest, AnEscapeSplitAcrossReadsWaitsForItsRest)
{
    PtyPeer& module = startOn(1);
    receive("text\r");
    module.send("\x1b[");
    tick(3);
    EXPECT_EQ(lines(), (QStringList{"text", ""}));
    receive("2Jafter");
    EXPECT_EQ(lines(), QStringList{"after"});
}

// The start of an escape sequence belongs to the port it came from and the list it was to
// change: what arrives after the port closed or the list was cleared is not swallowed into it.
enum class Cut { PortLost, OtherPortChosen, SamePortReopened, ListCleared };

class HalfEscapeTest : public CoreFixture, public ::testing::WithParamInterface<Cut> {
protected:
    void cut(Cut how)
    {
        switch (how) {
        case Cut::PortLost:
            unplug(1);
            ASSERT_TRUE(tickUntil([&] { return !core->io().isOpen(); }));
            plugBack(1);
            ASSERT_TRUE(tickUntil([&] { return core->io().isOpen(); }));
            break;
        case Cut::OtherPortChosen: core->portControl().set_comx(2, 1); break;
        case Cut::SamePortReopened:
            core->portControl().selectLineParameter(&TerminalState::baudRate, 9600);
            break;
        case Cut::ListCleared: core->receiver().Clear1Click(); break;
        }
    }
};

TEST_P(HalfEscapeTest, IsDroppedWhenThePortClosesOrTheListIsCleared)
{
    startOn(1);
    plug(2);
    receive("\x1b[");
    ASSERT_EQ(lines(), QStringList{});
    cut(GetParam());
    ASSERT_TRUE(core->io().isOpen());
    receive("ABCD\r");
    EXPECT_EQ(lines(), (QStringList{"ABCD", ""}));
}

const char* nameOf(Cut cut)
{
    switch (cut) {
    case Cut::PortLost: return "portLost";
    case Cut::OtherPortChosen: return "otherPortChosen";
    case Cut::SamePortReopened: return "samePortReopened";
    case Cut::ListCleared: return "listCleared";
    }
    return "unknown";
}

void PrintTo(Cut cut, std::ostream* os) { *os << nameOf(cut); }

INSTANTIATE_TEST_SUITE_P(Cuts, HalfEscapeTest,
                         ::testing::Values(Cut::PortLost, Cut::OtherPortChosen,
                                           Cut::SamePortReopened, Cut::ListCleared),
                         [](const auto& info) { return std::string(nameOf(info.param)); });

// The port as the program opens it, whose reads fail while `failing` is set, as a read of a
// line that still answers can.
class FailingReads : public TtyDevice {
public:
    explicit FailingReads(std::shared_ptr<bool> failing) : m_failing(std::move(failing)) {}
    ReadOutcome read(QByteArray& bytes, int limitMs) override
    {
        return *m_failing ? ReadOutcome::Error : TtyDevice::read(bytes, limitMs);
    }

private:
    std::shared_ptr<bool> m_failing;
};

class ReadFailureTest : public CoreFixture {
protected:
    void SetUp() override
    {
        CoreFixture::SetUp();
        TerminalPlatform platform = profile.platform(clock);
        platform.makeDevice = [failing = failing] {
            return std::make_unique<FailingReads>(failing);
        };
        core = std::make_unique<TerminalCore>(prompts, std::move(platform));
    }
    std::shared_ptr<bool> failing = std::make_shared<bool>(false);
};

// The message waits for the tick to end (a modal box inside it would stop the timer), a run
// of failing reads tells it once, and the reads that follow go on as before.
TEST_F(ReadFailureTest, IsToldOnceAfterTheTickAndTheLineGoesOn)
{
    startOn(1);
    *failing = true;
    tick(3);
    EXPECT_TRUE(prompts.messages.isEmpty()) << "told inside the tick";
    QCoreApplication::processEvents();
    EXPECT_EQ(prompts.messages, QStringList{"Exception occurred in c_getc"});

    *failing = false;
    receive("OK\r");
    EXPECT_EQ(lines(), (QStringList{"OK", ""}));
    QCoreApplication::processEvents();
    EXPECT_EQ(prompts.messages.size(), 1);
}

TEST_F(ReceiveTest, LongRunsAndBurstsOfLinesArriveWhole)
{
    startOn(1);
    const QByteArray run(300, 'x');
    receive(run);
    EXPECT_EQ(lines(), QStringList{QString(run)});

    core->receiver().Clear1Click();
    QByteArray burst;
    QStringList expected;
    for (int i = 0; i < 400; ++i) {
        burst += "line " + QByteArray::number(i) + "\r";
        expected.append(QStringLiteral("line %1").arg(i));
    }
    expected.append("");
    peers.at(1)->send(burst);
    // A tick is not limited to one line: the burst is in within a few ticks, in order.
    EXPECT_TRUE(tickUntil([&] { return lines().size() == expected.size(); }, 20));
    EXPECT_EQ(lines(), expected);
}

TEST_F(ReceiveTest, InquiryResultsFillTheMacBoxOnce)
{
    startOn(1);
    receive("INQUIRY 00:07:80:12:34:56 200404\r");
    receive("INQUIRY_PARTIAL 00:07:80:aa:bb:cc\r");
    receive("INQUIRY 00:07:80:12:34:56 200404\r");
    EXPECT_EQ(core->shown().macItems(), (QStringList{"00:07:80:12:34:56", "00:07:80:aa:bb:cc"}));
    EXPECT_EQ(core->shown().macText(), "00:07:80:aa:bb:cc");
    EXPECT_EQ(core->shown().macHidden(), "00:07:80:12:34:56");
    receive("inquiry 11:22:33:44:55:66\rNAME 00:11\r");
    EXPECT_EQ(core->shown().macItems().size(), 2);
}

TEST_F(ReceiveTest, EachTickKeepsTheNewestLinesInView)
{
    startOn(1);
    QSignalSpy scrolls(&core->receiver(), &Receiver::scrollRequested);
    receive("1\r2\r3\r");
    EXPECT_EQ(scrolls.count(), 0); // fewer than ten lines: nothing moves
    receive("4\r5\r6\r7\r8\r9\r10\r11\r");
    ASSERT_GE(scrolls.count(), 1);
    EXPECT_EQ(scrolls.last().at(0).toInt(), core->lines().count() - 10);
    EXPECT_EQ(core->list().rowCount(), core->lines().count());
}

TEST_F(ReceiveTest, DisplayOptionHandlersSetPanelsAndColours)
{
    startOn(1);
    core->options().HexModeClick();
    EXPECT_EQ(core->shown().panel(3), "Hex");
    core->options().Echo1Click();
    EXPECT_EQ(core->shown().panel(2), "Echo");
    core->options().Echo1Click();
    EXPECT_EQ(core->shown().panel(2), "    ");
    core->preset(&TerminalState::HexModeWrite1, true);
    core->options().HexModeClick();
    EXPECT_EQ(core->shown().panel(3), "Hex Write");
    core->preset(&TerminalState::HexModeWrite1, false);
    core->options().HexModeClick();
    EXPECT_EQ(core->shown().panel(3), "Hex");

    EXPECT_EQ(core->options().listColours().background, QColor(232, 232, 255));
    EXPECT_EQ(core->options().listColours().text, QColor(0, 0, 255));
    core->options().OrvinTerminalClick();
    EXPECT_EQ(core->options().listColours().background, QColor(0, 0, 0));
    EXPECT_EQ(core->options().listColours().text, QColor(0, 255, 0));
}

TEST_F(ReceiveTest, RandomBytesInHexArriveWholeAndInOrder)
{
    PtyPeer& module = startOn(1);
    core->preset(&TerminalState::HexMode, true);
    std::mt19937 random(20261210);
    QByteArray bytes;
    QString expected;
    for (int i = 0; i < 20000; ++i) {
        int byte = int(random() % 256);
        if (byte == 0x1B)
            byte = 0x1A; // escape sequences are rendered by their own rules
        bytes.append(char(byte));
        expected += QString::asprintf("%02X ", byte);
        if (byte == 0x0D)
            expected += QLatin1Char('\n');
    }
    for (qsizetype at = 0; at < bytes.size(); at += 1000) {
        module.send(bytes.mid(at, 1000));
        tick();
    }
    EXPECT_TRUE(tickUntil([&] { return lines().join('\n').size() >= expected.size(); }, 100));
    EXPECT_EQ(lines().join('\n'), expected);
}

} // namespace
