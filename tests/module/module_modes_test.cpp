// The simulated module's frames, data mode and escape, and its load stream.
#include "ByteLog.h"
#include "EscapeGuard.h"
#include "LoadStream.h"
#include "ModuleSession.h"
#include "MuxFrameParser.h"
#include "MuxFraming.h"

#include <gtest/gtest.h>

namespace {

QByteArray frame(int link, const QByteArray& data) { return mux::frame(link, data); }

struct FrameCase {
    const char* name;
    std::vector<QByteArray> chunks; // as they arrive
    std::vector<std::pair<int, QByteArray>> frames;
    qsizetype rejectedBytes;
};

void PrintTo(const FrameCase& c, std::ostream* os) { *os << c.name; }

class FrameReading : public ::testing::TestWithParam<FrameCase> {};

TEST_P(FrameReading, TakesGoodFramesAndRejectsTheRest)
{
    const FrameCase& c = GetParam();
    MuxFrameParser parser;
    std::vector<std::pair<int, QByteArray>> frames;
    qsizetype rejected = 0;
    for (const QByteArray& chunk : c.chunks)
        for (const MuxFrameParser::Result& r : parser.feed(chunk)) {
            if (r.accepted)
                frames.emplace_back(r.link, r.data);
            else
                rejected += r.dropped.size();
        }
    EXPECT_EQ(frames, c.frames);
    EXPECT_EQ(rejected, c.rejectedBytes);
}

const QByteArray set = frame(255, "SET");
const QByteArray data = frame(0, QByteArray("\xBF\x00\xFF", 3)); // frame bytes inside data

std::vector<QByteArray> oneByteAtATime(const QByteArray& bytes)
{
    std::vector<QByteArray> chunks;
    for (const char b : bytes)
        chunks.emplace_back(1, b);
    return chunks;
}

QByteArray withCheck(QByteArray f, char check)
{
    f.back() = check;
    return f;
}

QByteArray withFlags(QByteArray f, char flags)
{
    f[2] = flags;
    return f;
}

const FrameCase frameCases[] = {
    {"OneFrame", {set}, {{255, "SET"}}, 0},
    {"TwoInOneChunk", {set + data}, {{255, "SET"}, {0, QByteArray("\xBF\x00\xFF", 3)}}, 0},
    {"SplitIntoSingleBytes", oneByteAtATime(set + set), {{255, "SET"}, {255, "SET"}}, 0},
    {"EmptyFrame", {frame(1, {})}, {{1, {}}}, 0},
    {"LongestFrame", {frame(2, QByteArray(255, 'x'))}, {{2, QByteArray(255, 'x')}}, 0},
    {"BytesBeforeAFrame", {"\r\nSET" + set}, {{255, "SET"}}, 5},
    {"WrongCheckThenGoodFrame", {withCheck(set, 0x01) + set}, {{255, "SET"}}, set.size()},
    {"FlagsNotZero", {withFlags(set, 0x01) + set}, {{255, "SET"}}, set.size()},
    // A damaged header must not swallow a good frame that starts inside what it claims.
    {"GoodFrameInsideADamagedOne", {QByteArray("\xBF\x00\x00\x02", 4) + set}, {{255, "SET"}}, 4},
    {"UnfinishedFrameWaits", {set.left(5)}, {}, 0},
};

INSTANTIATE_TEST_SUITE_P(Frames, FrameReading, ::testing::ValuesIn(frameCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The frames the module sent, in order.
std::vector<std::pair<int, QByteArray>> framesIn(const QByteArray& bytes, qsizetype* rejected)
{
    MuxFrameParser parser;
    std::vector<std::pair<int, QByteArray>> frames;
    for (const MuxFrameParser::Result& r : parser.feed(bytes)) {
        if (r.accepted)
            frames.emplace_back(r.link, r.data);
        else
            *rejected += r.dropped.size();
    }
    return frames;
}

TEST(Multiplexing, CommandsInControlFramesAreAnsweredInFramesOnTheControlLink)
{
    ModuleSession session;
    const QByteArray plainListing = session.command(QStringLiteral("SET"));
    EXPECT_EQ(session.bytes("SET CONTROL MUX 1\r"), QByteArray());
    qsizetype rejected = 0;
    const auto frames = framesIn(session.bytes(frame(255, "SET")), &rejected);
    EXPECT_EQ(rejected, 0);
    QByteArray joined;
    for (const auto& [link, data] : frames) {
        EXPECT_EQ(link, 255);
        joined += data;
    }
    // The same listing, now also saying that multiplexing is on.
    EXPECT_TRUE(joined.contains("SET CONTROL MUX 1\r\n"));
    joined.replace("SET CONTROL MUX 1\r\n", "");
    EXPECT_EQ(joined, plainListing);
}

TEST(Multiplexing, DataFramesAreEchoedOnTheirLinkOnly)
{
    ModuleSession session;
    session.bytes("SET CONTROL MUX 1\r");
    // No connection on link 0 yet: the frame goes nowhere.
    EXPECT_EQ(session.bytes(frame(0, "early")), QByteArray());
    session.bytes(frame(255, "CALL 00:07:80:12:34:56 1101 RFCOMM"), 60000);
    EXPECT_EQ(session.bytes(frame(0, "hello")), frame(0, "hello"));
    // Bytes outside frames, and broken frames, get no answer.
    EXPECT_EQ(session.bytes("LIST\r" + withCheck(frame(255, "LIST"), 0x01)), QByteArray());
}

// A frame cut short (its length claims more than ever comes) is given up after a while,
// and the good frame that arrived behind it is read.
TEST(Multiplexing, AnUnfinishedFrameDoesNotHoldUpTheNextOne)
{
    ModuleSession session;
    session.bytes("SET CONTROL MUX 1\r");
    EXPECT_EQ(session.bytes(QByteArray("\xBF\xFF\x00\x20LI", 6) + frame(255, "LIST")),
              QByteArray());
    EXPECT_EQ(session.module.nextEventMs(), session.now + Module::frameTimeoutMs);
    EXPECT_EQ(session.wait(Module::frameTimeoutMs), frame(255, "LIST 0\r\n"));
}

TEST(Multiplexing, LeavingItHandsTheRestOfTheChunkToCommandMode)
{
    ModuleSession session;
    session.bytes("SET CONTROL MUX 1\r");
    EXPECT_EQ(session.bytes(frame(255, "SET CONTROL MUX 0") + "LIST\r"), QByteArray("LIST 0\r\n"));
}

TEST(Multiplexing, ItOutlivesAReset)
{
    ModuleSession session;
    session.bytes("SET CONTROL MUX 1\r");
    qsizetype rejected = 0;
    const auto frames = framesIn(session.bytes(frame(255, "RESET"), 60000), &rejected);
    ASSERT_FALSE(frames.empty());
    EXPECT_EQ(frames.back(), std::make_pair(255, QByteArray("READY.\r\n")));
}

// Data mode: the far end echoes; "+++" between two silences of the guard time returns to
// command mode, and anything less is data.
TEST(DataMode, EchoesUntilTheEscape)
{
    ModuleSession session(0.0, 1000);
    EXPECT_EQ(session.command(QStringLiteral("CALL 00:07:80:12:34:56 1101 RFCOMM")),
              QByteArray("CALL 0\r\nCONNECT 0 RFCOMM 1\r\n"));
    EXPECT_EQ(session.bytes("LIST\r", 2000), QByteArray("LIST\r"));
    EXPECT_EQ(session.bytes("+++", 999), QByteArray("+++"));
    EXPECT_EQ(session.bytes("LIST\r"), QByteArray("LIST\r")); // silence too short: still data
    session.wait(1000);
    session.bytes("+++", 1000);
    EXPECT_EQ(session.bytes("LIST\r"), QByteArray("LIST 1\r\nLIST 0 CONNECTED RFCOMM 667 0 0 12 8d "
                                                  "8d 00:07:80:12:34:56 1 OUTGOING ACTIVE "
                                                  "MASTER PLAIN 0\r\n"));
    // Back to the connection, and closing it.
    EXPECT_EQ(session.command(QStringLiteral("SELECT 0")), QByteArray());
    EXPECT_EQ(session.bytes("x"), QByteArray("x"));
    session.wait(1000);
    session.bytes("+++", 1000);
    EXPECT_EQ(session.command(QStringLiteral("CLOSE 0")), QByteArray("NO CARRIER 0 ERROR 0\r\n"));
    EXPECT_EQ(session.command(QStringLiteral("LIST")), QByteArray("LIST 0\r\n"));
}

struct EscapeCase {
    const char* name;
    std::vector<std::pair<qint64, const char*>> arrivals; // time, bytes
    qint64 checkAt;
    bool escaped;
};

void PrintTo(const EscapeCase& c, std::ostream* os) { *os << c.name; }

class Escape : public ::testing::TestWithParam<EscapeCase> {};

TEST_P(Escape, NeedsSilenceOnBothSides)
{
    const EscapeCase& c = GetParam();
    EscapeGuard guard(1000);
    guard.restart(0);
    for (const auto& [at, bytes] : c.arrivals)
        guard.received(QByteArray(bytes), at);
    EXPECT_EQ(guard.escaped(c.checkAt), c.escaped);
}

const EscapeCase escapeCases[] = {
    {"Clean", {{1000, "+"}, {1010, "+"}, {1020, "+"}}, 2020, true},
    {"AllInOneChunk", {{5000, "+++"}}, 6000, true},
    {"NotYetSilentAfter", {{5000, "+++"}}, 5999, false},
    {"DataJustBefore", {{5000, "x"}, {5500, "+++"}}, 9000, false},
    {"DataJustAfter", {{5000, "+++"}, {5500, "x"}}, 9000, false},
    {"PauseInside", {{5000, "+"}, {5010, "+"}, {6100, "+"}}, 9000, false},
    {"FourPluses", {{5000, "++++"}}, 9000, false},
    {"TwoPluses", {{5000, "++"}}, 9000, false},
    {"TriedAgainAfterAFailure", {{5000, "++++"}, {6500, "+++"}}, 7500, true},
};

INSTANTIATE_TEST_SUITE_P(Timing, Escape, ::testing::ValuesIn(escapeCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(LoadStream, NumberedLinesOfTheChosenLengthAtTheChosenRate)
{
    LoadStream load(100, 20, 250);
    load.start(1000);
    EXPECT_EQ(load.takeDue(1000), QByteArray("00000001 ABCDEFGHI\r\n"));
    const QByteArray second = load.takeDue(2000); // one second later: 100 more lines
    EXPECT_EQ(second.size(), 100 * 20);
    EXPECT_TRUE(second.endsWith("00000101 ABCDEFGHI\r\n"));
    EXPECT_EQ(load.nextDueMs(), 2010);
    // Late, it catches up, as far as there is room at a time, and no further than asked.
    EXPECT_EQ(load.takeDue(60000, 100).size(), 5 * 20);
    EXPECT_EQ(load.takeDue(60000).size(), 144 * 20);
    EXPECT_TRUE(load.finished());
    EXPECT_EQ(load.nextDueMs(), -1);
}

TEST(ByteLog, ChunkLineHasHexAndPrintableText)
{
    EXPECT_EQ(ByteLog::chunkLine("RX", QByteArray("\rSET\r\n\xBF", 7)),
              QByteArray("RX 0D 53 45 54 0D 0A BF  |.SET...|"));
}

} // namespace
