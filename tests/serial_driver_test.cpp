// The serial driver over a real pseudo-terminal: exact bytes, pacing, reads, open rules.
#include "CoreFixture.h"
#include "TtyDevice.h"
#include "Watchdog.h"

#include <QTemporaryDir>
#include <QTest>
#include <chrono>
#include <cstdio>
#include <sys/inotify.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace {

class DriverTest : public CoreFixture {
protected:
    Serial_io& io() { return core->io(); }
};

struct SendCase {
    const char* name;
    bool multiplex;
    std::function<void(Serial_io&)> send;
    QByteArray wire;
    qint64 virtualMs;
};

void PrintTo(const SendCase& c, std::ostream* os) { *os << c.name; }

class DriverSendTest : public DriverTest, public ::testing::WithParamInterface<SendCase> {};

TEST_P(DriverSendTest, WritesExactBytesAtTheirPace)
{
    const SendCase& c = GetParam();
    PtyPeer& module = startOn(1);
    core->preset(&TerminalState::MUX1, c.multiplex);
    clock.forget();
    const qint64 before = clock.now();
    c.send(io());
    EXPECT_EQ(module.readExactly(c.wire.size()), c.wire);
    EXPECT_EQ(module.read(20), QByteArray());
    EXPECT_EQ(clock.now() - before, c.virtualMs);
}

INSTANTIATE_TEST_SUITE_P(
    Sends, DriverSendTest,
    ::testing::Values(
        SendCase{"putsAddsCr", false, [](Serial_io& io) { io.c_puts("AT"); }, "AT\r", 50},
        SendCase{"putsInMultiplexAddsNothing", true, [](Serial_io& io) { io.c_puts("AT"); }, "AT",
                 40},
        SendCase{"putsOfEmptyTextIsALoneCr", false, [](Serial_io& io) { io.c_puts(""); }, "\r", 10},
        SendCase{"writeAddsNothing", false, [](Serial_io& io) { io.c_write("+++"); }, "+++", 30},
        SendCase{"putcSendsTheLowByte", false, [](Serial_io& io) { io.c_putc(0x20AC); }, "\xAC",
                 10},
        SendCase{"textCharactersLoseTheirHighByte", true,
                 [](Serial_io& io) { io.c_write(QString(QChar(0x20AC)) + QChar(0xFF)); },
                 "\xAC\xFF", 20}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DriverTest, PutsSpacesCharactersTwentyMillisecondsApart)
{
    startOn(1);
    clock.forget();
    const qint64 start = clock.now();
    io().c_puts("ABC");
    std::vector<qint64> at;
    for (const auto& w : clock.writes())
        at.push_back(w.at - start);
    EXPECT_EQ(at, (std::vector<qint64>{0, 20, 40, 60}));
}

TEST_F(DriverTest, PutsReflectsInTheTerminalBeforeWriting)
{
    startOn(1);
    core->preset(&TerminalState::Echo1, true);
    core->preset(&TerminalState::CopyToSend1, true);
    io().c_puts("hello");
    EXPECT_EQ(core->shown().sendBox(), "hello");
    EXPECT_EQ(lines(), QStringList{"hello"});
    io().c_puts("");
    EXPECT_EQ(core->shown().sendBox(), "");
    EXPECT_EQ(lines(), (QStringList{"hello", ""}));
}

TEST_F(DriverTest, WithNoPortOpenOnlyPutcTakesTime)
{
    core->preset(&TerminalState::Echo1, true);
    core->preset(&TerminalState::CopyToSend1, true);
    io().c_puts("AT");
    EXPECT_EQ(clock.now(), 0);
    EXPECT_EQ(core->shown().sendBox(), "");
    EXPECT_TRUE(lines().isEmpty());

    io().c_write("+++");
    EXPECT_EQ(core->shown().sendBox(), "+++");
    EXPECT_EQ(clock.now(), 0);

    io().c_putc('A');
    EXPECT_EQ(clock.now(), 10);
    EXPECT_TRUE(clock.writes().empty());
}

TEST_F(DriverTest, BytesLeaveAboutTenMillisecondsApartInRealTime)
{
    PtyPeer& module = plug(1);
    ScriptedPrompts quiet;
    TerminalPlatform platform = profile.platform(clock);
    platform.pause = realPause();
    platform.makeDevice = {};
    TerminalCore realTime(quiet, platform);
    realTime.startUp().FormShow();
    ASSERT_TRUE(realTime.io().isOpen());

    std::vector<PtyPeer::TimedByte> arrived;
    std::thread reader([&] { arrived = module.readTimed(6, 5000); });
    const auto start = std::chrono::steady_clock::now().time_since_epoch();
    realTime.io().c_write("ABCDEF");
    reader.join();
    ASSERT_EQ(arrived.size(), 6u);
    // Byte k cannot leave before k pauses of 10 ms have passed, however busy the machine.
    for (std::size_t k = 0; k < arrived.size(); ++k) {
        const double sinceStartMs =
            double(arrived[k].nanoseconds - std::chrono::nanoseconds(start).count()) / 1e6;
        EXPECT_GE(sinceStartMs, 10.0 * double(k)) << "byte " << k;
    }
    const double spanMs = double(arrived.back().nanoseconds - arrived.front().nanoseconds) / 1e6;
    std::printf("six paced bytes spanned %.1f ms (50 ms of pauses between them)\n", spanMs);
}

TEST_F(DriverTest, ReadsEveryByteValueAndNothingWhenIdle)
{
    PtyPeer& module = startOn(1);
    EXPECT_EQ(io().c_getc(), Serial_io::noByte);
    module.send(QByteArray("\xFF\x00\x41", 3));
    EXPECT_EQ(io().c_getc(), 255);
    EXPECT_EQ(io().c_getc(), 0);
    EXPECT_EQ(io().c_getc_checked(), 0x41);
    EXPECT_EQ(io().c_getc(), Serial_io::noByte);
}

TEST_F(DriverTest, CheckedReadFindsAnUnpluggedDevice)
{
    startOn(1);
    unplug(1);
    EXPECT_EQ(io().c_getc(), Serial_io::noByte);
    EXPECT_EQ(io().c_getc_checked(), Serial_io::portLost);
    const qint64 before = clock.now();
    io().c_puts("AT"); // the port test fails: nothing happens
    EXPECT_EQ(clock.now(), before);
    io().c_close();
    EXPECT_FALSE(io().isOpen());
    EXPECT_EQ(io().c_getc_checked(), Serial_io::noByte);
}

TEST_F(DriverTest, OpensOnlyNumberedPortsThatAreThere)
{
    plug(5);
    profile.link(6, profile.configHome() + "/no-such-device");
    struct Case {
        int port;
        int opened;
    };
    for (const Case c : {Case{5, 1}, Case{6, 0}, Case{7, 0}, Case{0, 0}, Case{-5, 0}, Case{101, 0},
                         Case{5000, 0}}) {
        EXPECT_EQ(io().c_open(c.port, 115200, 8, 0, 1), c.opened) << "port " << c.port;
        EXPECT_EQ(io().isOpen(), c.opened == 1) << "port " << c.port;
        if (!c.opened) {
            EXPECT_FALSE(io().lastOpenFailure().isEmpty());
        }
        io().c_close();
        io().c_close(); // closing a closed port does nothing
    }
}

TEST_F(DriverTest, LineSettingsTheDeviceCannotTakeRefuseTheOpen)
{
    plug(1);
    EXPECT_EQ(io().c_open(1, 0, 8, 0, 1), 0);
    EXPECT_EQ(io().c_open(1, 9600, 9, 0, 1), 0);
    EXPECT_EQ(io().c_open(1, 9600, 8, 7, 1), 0);
    EXPECT_FALSE(io().isOpen());
    // Stop bits other than 1 and 2 keep the port's own setting.
    EXPECT_EQ(io().c_open(1, 9600, 7, 1, 0), 1);
    EXPECT_EQ(io().c_open(1, 300, 8, 2, 2), 1);
}

// What an open leaves on the device's line: stop bits 1 and 2 are set, any other value keeps
// the stop bits the device has now, whatever an earlier open asked for; flow control stays as
// the device has it. (A pseudo-terminal keeps speed, CSTOPB, CRTSCTS and PARODD; it forces
// 8 data bits and clears PARENB itself.)
struct StopBitsCase {
    const char* name;
    bool deviceHasTwo;
    int earlierOpenStopBits; // 0: no earlier open
    int stopBits;
    bool twoAfterOpen;
};

void PrintTo(const StopBitsCase& c, std::ostream* os) { *os << c.name; }

class OpenStopBitsTest : public DriverTest, public ::testing::WithParamInterface<StopBitsCase> {};

TEST_P(OpenStopBitsTest, ChangesOnlyWhatWasAskedOnTheDevice)
{
    const StopBitsCase& c = GetParam();
    PtyPeer& module = plug(1);
    if (c.earlierOpenStopBits) {
        ASSERT_EQ(io().c_open(1, 115200, 8, 0, c.earlierOpenStopBits), 1);
        io().c_close();
    }
    termios own = module.line();
    own.c_cflag = c.deviceHasTwo ? (own.c_cflag | CSTOPB) : (own.c_cflag & ~tcflag_t(CSTOPB));
    own.c_cflag |= CRTSCTS;
    module.setLine(own);

    ASSERT_EQ(io().c_open(1, 9600, 8, 1, c.stopBits), 1) << qPrintable(io().lastOpenFailure());
    const termios line = module.line();
    EXPECT_EQ(bool(line.c_cflag & CSTOPB), c.twoAfterOpen);
    EXPECT_TRUE(line.c_cflag & CRTSCTS) << "flow control changed";
    EXPECT_EQ(cfgetospeed(&line), speed_t(B9600));
    EXPECT_TRUE(line.c_cflag & PARODD) << "odd parity not set";
}

INSTANTIATE_TEST_SUITE_P(
    StopBits, OpenStopBitsTest,
    ::testing::Values(StopBitsCase{"zeroKeepsTheDevicesTwo", true, 0, 0, true},
                      StopBitsCase{"zeroKeepsTheDevicesOneAfterAnOpenWithTwo", false, 2, 0, false},
                      StopBitsCase{"threeKeepsTheDevicesTwo", true, 1, 3, true},
                      StopBitsCase{"oneSetsOne", true, 0, 1, false},
                      StopBitsCase{"twoSetsTwo", false, 0, 2, true}),
    [](const auto& info) { return std::string(info.param.name); });

// What an open leaves on the device's line: the rate asked, also one that termios has no name
// for, and the parity asked, also mark and space. (A pseudo-terminal keeps the rate, CMSPAR
// and PARODD; it clears PARENB itself.)
struct LineCase {
    const char* name;
    int baudRate;
    int parity;
    bool markOrSpace; // CMSPAR
    bool odd;         // PARODD: odd, or mark
};

void PrintTo(const LineCase& c, std::ostream* os) { *os << c.name; }

class OpenLineTest : public DriverTest, public ::testing::WithParamInterface<LineCase> {};

TEST_P(OpenLineTest, TheDeviceRunsAtTheRateAndParityAsked)
{
    const LineCase& c = GetParam();
    PtyPeer& module = plug(1);
    ASSERT_EQ(io().c_open(1, c.baudRate, 8, c.parity, 1), 1) << qPrintable(io().lastOpenFailure());
    EXPECT_EQ(module.speed(), c.baudRate);
    const termios line = module.line();
    EXPECT_EQ(bool(line.c_cflag & CMSPAR), c.markOrSpace);
    EXPECT_EQ(bool(line.c_cflag & PARODD), c.odd);
}

INSTANTIATE_TEST_SUITE_P(Lines, OpenLineTest,
                         ::testing::Values(LineCase{"standardRateEven", 9600, 2, false, false},
                                           LineCase{"rateWithoutATermiosName", 250000, 0, false,
                                                    false},
                                           LineCase{"midiRateOdd", 31250, 1, false, true},
                                           LineCase{"mark", 115200, 3, true, true},
                                           LineCase{"space", 115200, 4, true, false}),
                         [](const auto& info) { return std::string(info.param.name); });

// What the kernel reports done to the device while `what` runs: "open" and "close", in order.
// (It folds an event into the one before when the two are alike, so two opens in a row show
// as one; an open that is closed again before the port's own still shows as its close.)
QStringList deviceEventsDuring(const QString& device, const std::function<void()>& what)
{
    const int watch = ::inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    EXPECT_GE(::inotify_add_watch(watch, device.toLocal8Bit().constData(), IN_OPEN | IN_CLOSE), 0);
    what();
    QStringList events;
    alignas(inotify_event) char buffer[4096];
    for (ssize_t n; (n = ::read(watch, buffer, sizeof buffer)) > 0;)
        for (ssize_t at = 0; at < n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            events.append((event->mask & IN_OPEN) ? "open" : "close");
            at += ssize_t(sizeof(inotify_event) + event->len);
        }
    ::close(watch);
    return events;
}

// Every check and every setting is made on the one descriptor the port reads and writes: the
// device is not looked at through an open of its own first, which the module's end of the
// line could take for a port closed and opened again.
TEST_F(DriverTest, OpensTheDeviceOnce)
{
    PtyPeer& module = plug(1);
    const QStringList events = deviceEventsDuring(module.devicePath(), [&] {
        EXPECT_EQ(io().c_open(1, 115200, 8, 0, 1), 1) << qPrintable(io().lastOpenFailure());
    });
    EXPECT_EQ(events, QStringList{"open"});
}

TEST_F(DriverTest, EveryOpenRestoresTheTimeouts)
{
    startOn(1);
    CommTimeouts shorter;
    shorter.ReadTotalTimeoutConstant = 1;
    shorter.ReadTotalTimeoutMultiplier = 1;
    ASSERT_TRUE(io().setTimeouts(shorter));
    EXPECT_EQ(io().c_getc(), Serial_io::noByte);
    EXPECT_EQ(io().timeouts().oneByteReadLimitMs(), 2);

    core->portControl().set_com(1);
    EXPECT_EQ(io().timeouts(), CommTimeouts{});
    EXPECT_EQ(io().timeouts().oneByteReadLimitMs(), 30);
    EXPECT_EQ(io().timeouts().oneByteWriteLimitMs(), 20);
    io().c_close();
    EXPECT_FALSE(io().setTimeouts(shorter));
}

// However long the port's limits, one read on the window's thread waits a bounded time. A
// read that honoured them would wait for weeks; the watchdog then ends it with a byte.
TEST_F(DriverTest, IdleReadGivesUpWithinTheBoundWhateverTheLimits)
{
    PtyPeer& module = startOn(1);
    ASSERT_TRUE(
        io().setTimeouts({0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu}));
    Watchdog watchdog(std::chrono::seconds(30), [&module] { module.send("!!"); });
    EXPECT_EQ(io().c_getc(), Serial_io::noByte);
    EXPECT_EQ(io().c_getc_checked(), Serial_io::noByte);
    EXPECT_FALSE(watchdog.fired()) << "the read waited as long as the port's limits said";
}

// A device open on a pseudo-terminal whose other side is the module.
class OpenDeviceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QString why;
        ASSERT_TRUE(device.open(module.devicePath(), LineSettings{}, &why)) << qPrintable(why);
    }

    QTemporaryDir lockDir;
    PtyPeer module;
    TtyDevice device{UucpLocks({lockDir.path()})};
};
using ReadWatchTest = OpenDeviceTest;
using WriteTest = OpenDeviceTest;

// The module holds the line (it stops reading, or its flow control says stop): bytes written
// meanwhile leave, in order, once it reads again, and none is lost to the write limit.
TEST_F(WriteTest, BytesTheLineHasNoRoomForLeaveWhenItHas)
{
    module.fillLineToModule();
    for (const char c : QByteArray("ABC"))
        device.writeByte(static_cast<unsigned char>(c), 0);

    QByteArray arrived;
    const auto allArrived = [&] {
        arrived += module.read(20, 10);
        return arrived.endsWith("ABC");
    };
    EXPECT_TRUE(QTest::qWaitFor(allArrived, 10000)) << "tail: " << arrived.right(8).constData();
    EXPECT_EQ(arrived.size() - arrived.count('F'), 3) << "a byte came twice or out of order";
}

// The flood throttle: between receive ticks the device does not watch the line, so bytes
// wait in the device and do not wake the event loop chunk by chunk; watched again, what
// waited is told at once.
TEST_F(ReadWatchTest, AnUnwatchedLineTellsNothingUntilWatchedAgain)
{
    int notices = 0;
    device.setArrivalNotice([&] { ++notices; });
    device.watchArrivals(false);
    module.send("while unwatched");
    QTest::qWait(200); // turns of the event loop in which a watched line would have told
    EXPECT_EQ(notices, 0) << "the line was watched between reads";

    device.watchArrivals(true);
    EXPECT_TRUE(QTest::qWaitFor([&] { return notices > 0; }, 10000));
    QByteArray bytes;
    for (int reads = 0; reads < 100 && bytes.size() < 15; ++reads)
        device.read(bytes, 100);
    EXPECT_EQ(bytes, "while unwatched");
}

// Between reads, an unwatched line keeps what arrives (nothing wakes the event loop for it);
// a watched one is emptied as bytes come, so that a flood never fills the line between reads.
TEST_F(ReadWatchTest, OnlyAWatchedLineIsEmptiedBetweenReads)
{
    const QByteArray flood(3000, 'F');
    device.watchArrivals(false);
    module.send(flood);
    QTest::qWait(200); // turns of the event loop in which a watched line would be emptied
    EXPECT_TRUE(module.awaitBytesForProgram(0)) << "an unwatched line was read between reads";

    device.watchArrivals(true);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !module.awaitBytesForProgram(0); }, 10000))
        << "a watched line was left full";
    QByteArray bytes;
    for (int reads = 0; reads < 100 && bytes.size() < flood.size(); ++reads)
        device.read(bytes, 100);
    EXPECT_EQ(bytes, flood);
}

} // namespace
