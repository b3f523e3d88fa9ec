// How the receive loop takes what has arrived: whole runs of bytes at once, never waiting for
// more, and a flood larger than the port's own buffer without losing a byte.
#include "CoreFixture.h"

#include "Watchdog.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <thread>

namespace {

struct StreamCase {
    const char* name;
    QByteArray bytes;
    bool hex = false;
    bool unreadable = false;
    bool echo = false;
    bool linefeedEndsLine = false;
    bool log = false;
    bool stamps = false;
};

void PrintTo(const StreamCase& c, std::ostream* os) { *os << c.name; }

// What a stream leaves behind: the lines, the capture file and the MAC box.
struct Outcome {
    QStringList lines;
    QByteArray capture;
    QStringList macItems;
    bool operator==(const Outcome&) const = default;
};

void PrintTo(const Outcome& o, std::ostream* os)
{
    *os << "lines " << ::testing::PrintToString(o.lines.join(QStringLiteral("\\n")).toStdString())
        << ", capture " << ::testing::PrintToString(o.capture.toStdString()) << ", mac "
        << o.macItems.join(',').toStdString();
}

class PieceTest : public CoreFixture, public ::testing::WithParamInterface<StreamCase> {
protected:
    void SetUp() override { plug(1); }

    // A fresh terminal on COM1 takes the stream in pieces of `pieceSize` bytes, one tick each.
    Outcome feed(const StreamCase& c, qsizetype pieceSize)
    {
        TerminalPlatform platform = profile.platform(clock);
        platform.now = [] { return QDateTime(QDate(2026, 12, 9), QTime(12, 0, 0)); };
        core = std::make_unique<TerminalCore>(prompts, platform);
        core->startUp().FormShow();
        core->preset(&TerminalState::HexMode, c.hex);
        core->preset(&TerminalState::Unreadable1, c.unreadable);
        core->preset(&TerminalState::Echo1, c.echo);
        core->preset(&TerminalState::AddLinefeedton1, c.linefeedEndsLine);
        core->preset(&TerminalState::Timestamp1, c.stamps);
        core->preset(&TerminalState::DateStamp1, c.stamps);
        const QString capture = folder.filePath(QStringLiteral("capture%1.csv").arg(pieceSize));
        if (c.log) {
            prompts.logFileDialog = [capture](const QString& directory, const QString&) {
                return UserPrompts::LogFileAnswer{true, capture, directory};
            };
            core->capture().Log1Click();
        }
        for (qsizetype at = 0; at < c.bytes.size(); at += pieceSize) {
            peers.at(1)->send(c.bytes.mid(at, pieceSize));
            tick();
        }
        tick(2);
        QFile file(capture);
        const QByteArray captured = file.open(QIODevice::ReadOnly) ? file.readAll() : "<none>";
        return {lines(), captured, core->shown().macItems()};
    }

    QTemporaryDir folder;
};

// However the bytes are split between reads, down to one byte a tick, the lines, the
// capture records and the captured addresses are the same.
TEST_P(PieceTest, ShowsAndCapturesTheSameWhateverTheReadsTake)
{
    const StreamCase& c = GetParam();
    const Outcome whole = feed(c, c.bytes.size());
    ASSERT_FALSE(whole.lines.isEmpty());
    EXPECT_EQ(feed(c, 1), whole);
    EXPECT_EQ(feed(c, 3), whole);
}

INSTANTIATE_TEST_SUITE_P(
    Streams, PieceTest,
    ::testing::Values(
        StreamCase{.name = "textLineEndsAndCodes", .bytes = "OK\r\nA\tB\xBF\x7F\x00x\r\n"},
        StreamCase{.name = "backspacesOverTextAndEmptyLines", .bytes = "AB\b\bC\b\b\bD\r\b\bE"},
        StreamCase{.name = "escapesAndClearScreenSplitAnywhere",
                   .bytes = "ab\x1b[31mcd\r\x1b[2Jef\x1b\r\r\rgh\x1b[2K\r"},
        StreamCase{.name = "linefeedsEndLinesWithEcho",
                   .bytes = "one\ntwo\r\n\nthree\b",
                   .echo = true,
                   .linefeedEndsLine = true},
        StreamCase{
            .name = "hexShowsEveryByte", .bytes = "OK\r\n\x1b[2K\b\xBF\x1b[2Jz\r", .hex = true},
        StreamCase{.name = "unreadableBytesAsCharacters",
                   .bytes = "\x01\x80\xFF\xBF\r\x1b[1m",
                   .unreadable = true},
        StreamCase{.name = "inquiryAddressesCaptured",
                   .bytes = "INQUIRY 00:07:80:12:34:56 200404\rINQUIRY_PARTIAL "
                            "00:07:80:aa:bb:cc\r"},
        StreamCase{.name = "capturedWithoutStamps", .bytes = "a,b\r\n\x1b[1mc\bd\r", .log = true},
        StreamCase{.name = "capturedWithStamps",
                   .bytes = "OK\r\n\x1b[1m\bX\xE9\r\n",
                   .unreadable = true,
                   .log = true,
                   .stamps = true},
        StreamCase{.name = "capturedInHexWithStamps",
                   .bytes = "O\x1b[2JK\r\b",
                   .hex = true,
                   .log = true,
                   .stamps = true}),
    [](const auto& info) { return std::string(info.param.name); });

using IntakeTest = CoreFixture;

// The window's thread never sleeps in a read. A tick that waited as long as the port's read
// limit allows (a second) would still be waiting when the module speaks half a second later.
TEST_F(IntakeTest, AnIdleTickReturnsWithoutWaitingForBytes)
{
    PtyPeer& module = startOn(1);
    ASSERT_TRUE(
        core->io().setTimeouts({0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu}));
    {
        Watchdog late(std::chrono::milliseconds(500), [&module] { module.send("late"); });
        core->receiver().Timer1Timer();
    }
    EXPECT_EQ(lines(), QStringList{}) << "the tick waited for the module";
}

// Between ticks the port reads on by itself into a buffer of a few MiB; a flood fills it,
// and the port stops reading until the buffer is taken. Taking it tick by tick, the terminal
// gets every byte, in order.
TEST_F(IntakeTest, AFloodLargerThanThePortsOwnBufferArrivesWhole)
{
    startOn(1);
    QByteArray flood;
    QStringList expected;
    constexpr int lineCount = 70000; // about 7 MB: more than the port buffers
    for (int i = 0; i < lineCount; ++i) {
        QByteArray line = "line " + QByteArray::number(i) + ' ';
        line += QByteArray(96 - line.size(), char('a' + i % 26));
        flood += line + "\r\n";
        expected.append(QString::fromLatin1(line));
    }
    expected.append(QString());

    QTimer timer1;
    timer1.setInterval(10);
    QObject::connect(&timer1, &QTimer::timeout, &core->receiver(), &Receiver::Timer1Timer);
    timer1.start();
    std::atomic<bool> stop{false};
    std::thread module([&] { peers.at(1)->sendPatiently(flood, stop); });
    EXPECT_TRUE(QTest::qWaitFor([&] { return core->lines().count() >= expected.size(); }, 90000));
    stop = true;
    module.join();
    timer1.stop();
    EXPECT_EQ(core->lines().count(), expected.size());
    EXPECT_EQ(lines(), expected);
}

} // namespace
