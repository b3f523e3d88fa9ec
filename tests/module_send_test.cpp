// The send operations of the module commands: frames on a link, or the plain form.
#include "SendFixture.h"

namespace {

struct ModuleSendCase {
    const char* name;
    bool multiplex;
    int link;
    QString text;
    QByteArray wire;
    QStringList lines; // with Echo on
};

void PrintTo(const ModuleSendCase& c, std::ostream* os) { *os << c.name; }

class ModuleSendTest : public SendFixture, public ::testing::WithParamInterface<ModuleSendCase> {};

TEST_P(ModuleSendTest, FramesOrSendsThePlainForm)
{
    const ModuleSendCase& c = GetParam();
    core->preset(&TerminalState::MUX1, c.multiplex);
    core->preset(&TerminalState::muxLink, c.link);
    core->preset(&TerminalState::Echo1, true);
    core->preset(&TerminalState::CopyToSend1, true);
    core->transmitter().mc_puts(c.text);
    EXPECT_EQ(sent(), c.wire);
    EXPECT_EQ(lines(), c.lines);
    EXPECT_EQ(core->shown().sendBox(), c.text);
    EXPECT_EQ(core->state().muxLink, c.link);
}

const QString euro(QChar(0x20AC));

INSTANTIATE_TEST_SUITE_P(
    Texts, ModuleSendTest,
    ::testing::Values(
        ModuleSendCase{"dataLinkInMultiplex",
                       true,
                       1,
                       "AT",
                       hexBytes("BF 01 00 02 41 54 FE"),
                       {"TX=><0xbf><01><0x00><02>AT<FE>", "RX<= "}},
        ModuleSendCase{"linkZeroChecksFF",
                       true,
                       0,
                       "A",
                       hexBytes("BF 00 00 01 41 FF"),
                       {"TX=><0xbf><00><0x00><01>A<FF>", "RX<= "}},
        ModuleSendCase{"emptyTextOnTheControlLink",
                       true,
                       255,
                       "",
                       hexBytes("BF FF 00 00 00"),
                       {"TX=><0xbf><FF><0x00><00><00>", "RX<= "}},
        ModuleSendCase{"controlLinkFramesWithMultiplexOff",
                       false,
                       255,
                       "SET",
                       hexBytes("BF FF 00 03 53 45 54 00"),
                       {"TX=><0xbf><FF><0x00><03>SET<00>", "RX<= "}},
        ModuleSendCase{
            "plainFormOnLinkZero", false, 0, "SET", hexBytes("0D 53 45 54 0D 0A"), {"SET"}},
        ModuleSendCase{
            "plainFormWithNoLink", false, -1, "SET", hexBytes("0D 53 45 54 0D 0A"), {"SET"}},
        // Only the low 8 bits of the link go on the wire; the trace shows the whole value.
        ModuleSendCase{"linkAbove255",
                       true,
                       259,
                       "A",
                       hexBytes("BF 03 00 01 41 FC"),
                       {"TX=><0xbf><103><0x00><01>A<1FC>", "RX<= "}},
        ModuleSendCase{"negativeLink",
                       true,
                       -1,
                       "A",
                       hexBytes("BF FF 00 01 41 00"),
                       {"TX=><0xbf><FFFFFFFF><0x00><01>A<FFFFFF00>", "RX<= "}},
        // No escaping inside the data; control characters are part of the trace.
        ModuleSendCase{"startByteAndCrInData",
                       true,
                       2,
                       QString(QChar(0xBF)) + "\r",
                       hexBytes("BF 02 00 02 BF 0D FD"),
                       {QString("TX=><0xbf><02><0x00><02>") + QChar(0xBF) + "\r<FD>", "RX<= "}},
        ModuleSendCase{"wideCharacterSendsItsLowByte",
                       true,
                       1,
                       euro,
                       hexBytes("BF 01 00 01 AC FE"),
                       {"TX=><0xbf><01><0x00><01>" + euro + "<FE>", "RX<= "}}),
    [](const auto& info) { return std::string(info.param.name); });

using ModuleCommandTest = SendFixture;

TEST_F(ModuleCommandTest, CommandsGoToTheControlLinkAndTheDataLinkStays)
{
    core->preset(&TerminalState::MUX1, true);
    core->preset(&TerminalState::muxLink, 3);
    core->transmitter().mc_puts_cmd("LIST");
    EXPECT_EQ(sent(), hexBytes("BF FF 00 04 4C 49 53 54 00"));
    EXPECT_EQ(core->state().muxLink, 3);
    core->transmitter().mc_puts("AT");
    EXPECT_EQ(sent(), hexBytes("BF 03 00 02 41 54 FC"));
}

TEST_F(ModuleCommandTest, WithMultiplexOffCommandsTakeThePlainForm)
{
    core->preset(&TerminalState::muxLink, 3);
    core->transmitter().mc_puts_cmd("LIST");
    EXPECT_EQ(sent(), hexBytes("0D 4C 49 53 54 0D 0A"));
    EXPECT_EQ(core->state().muxLink, 3);
}

TEST_F(ModuleCommandTest, FrameBytesAndPlainCharactersKeepTheirPace)
{
    const auto offsets = [this](qint64 start) {
        std::vector<qint64> at;
        for (const auto& w : clock.writes())
            at.push_back(w.at - start);
        return at;
    };
    core->preset(&TerminalState::MUX1, true);
    core->preset(&TerminalState::muxLink, 1);
    qint64 start = clock.now();
    core->transmitter().mc_puts("A");
    EXPECT_EQ(offsets(start), (std::vector<qint64>{0, 10, 20, 30, 40, 50}));
    EXPECT_EQ(clock.now() - start, 60);
    sent();

    core->preset(&TerminalState::MUX1, false);
    core->preset(&TerminalState::muxLink, -1);
    start = clock.now();
    core->transmitter().mc_puts("AB");
    EXPECT_EQ(offsets(start), (std::vector<qint64>{0, 10, 30, 50, 60}));
    EXPECT_EQ(clock.now() - start, 70);
}

// A long text goes out whole, as consecutive frames of at most 255 data bytes.
struct SplitCase {
    int length;
    std::vector<int> frameLengths;
};

void PrintTo(const SplitCase& c, std::ostream* os) { *os << c.length << " characters"; }

class FrameSplitTest : public SendFixture, public ::testing::WithParamInterface<SplitCase> {};

struct Frame {
    int link;
    QByteArray data;
};

// Reads the wire back as frames; a malformed frame fails the test.
std::vector<Frame> framesOn(const QByteArray& wire)
{
    std::vector<Frame> frames;
    qsizetype at = 0;
    while (at < wire.size()) {
        EXPECT_GE(wire.size() - at, 5) << "truncated frame at " << at;
        if (wire.size() - at < 5)
            break;
        EXPECT_EQ(quint8(wire[at]), 0xBF) << "start at " << at;
        EXPECT_EQ(quint8(wire[at + 2]), 0x00) << "flags at " << at;
        const int link = quint8(wire[at + 1]);
        const int length = quint8(wire[at + 3]);
        const QByteArray data = wire.mid(at + 4, length);
        EXPECT_EQ(data.size(), length) << "data at " << at;
        EXPECT_EQ(quint8(wire[at + 4 + length]), link ^ 0xFF) << "check at " << at;
        frames.push_back({link, data});
        at += length + 5;
    }
    return frames;
}

TEST_P(FrameSplitTest, EveryFrameDescribesItsDataAndNothingIsLost)
{
    const SplitCase& c = GetParam();
    QString text;
    for (int i = 0; i < c.length; ++i)
        text.append(QChar('A' + i % 26));
    core->preset(&TerminalState::MUX1, true);
    core->preset(&TerminalState::muxLink, 2);
    core->preset(&TerminalState::Echo1, true);
    core->transmitter().mc_puts(text);

    QByteArray joined;
    std::vector<int> frameLengths;
    for (const Frame& f : framesOn(sent())) {
        EXPECT_EQ(f.link, 2);
        frameLengths.push_back(int(f.data.size()));
        joined += f.data;
    }
    EXPECT_EQ(frameLengths, c.frameLengths);
    EXPECT_EQ(joined, text.toLatin1());

    // One trace line per frame, with that frame's own length, data and check.
    QStringList traces;
    qsizetype at = 0;
    for (const int length : c.frameLengths) {
        const QString prefix = traces.isEmpty() ? "" : "RX<= ";
        traces.append(prefix + QString::asprintf("TX=><0xbf><02><0x00><%.2X>", length) +
                      text.mid(at, length) + "<FD>");
        at += length;
    }
    traces.append("RX<= ");
    EXPECT_EQ(lines(), traces);
}

INSTANTIATE_TEST_SUITE_P(Lengths, FrameSplitTest,
                         ::testing::Values(SplitCase{255, {255}}, SplitCase{256, {255, 1}},
                                           SplitCase{600, {255, 255, 90}}),
                         [](const auto& info) { return std::to_string(info.param.length); });

} // namespace
