// Ports on other machines: a COM number linked to a real ser2net on the loopback address,
// which serves a pseudo-terminal. The terminal core opens it like any port.
#include "ComPortOption.h"
#include "CoreFixture.h"
#include "Ser2netServer.h"
#include "TerminalTexts.h"

#include <QDeadlineTimer>
#include <QScopeGuard>
#include <QThread>
#include <arpa/inet.h>
#include <atomic>
#include <netinet/in.h>
#include <sys/socket.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr int port = 7;
// Only guards against a hang: every wait below ends as soon as its condition holds.
constexpr int generousMs = 20000;

speed_t speedOf(const termios& line) { return cfgetospeed(&line); }

bool waitFor(const std::function<bool()>& done)
{
    const QDeadlineTimer deadline(generousMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(5);
    }
    return true;
}

// A server that takes connections and never says a word: the kernel completes each
// connection, and nobody answers on it.
class SilentServer {
public:
    SilentServer()
    {
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof a;
        ::bind(m_socket, reinterpret_cast<sockaddr*>(&a), sizeof a);
        ::listen(m_socket, 8);
        ::getsockname(m_socket, reinterpret_cast<sockaddr*>(&a), &length);
        m_port = ntohs(a.sin_port);
    }
    ~SilentServer() { ::close(m_socket); }
    QString address() const { return QStringLiteral("rfc2217://127.0.0.1:%1").arg(m_port); }

private:
    int m_socket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    quint16 m_port = 0;
};

class NetworkPortTest : public CoreFixture {
protected:
    // The window's first showing, on a COM1 that is not there: the settings' defaults.
    void SetUp() override
    {
        CoreFixture::SetUp();
        startUp();
        prompts.messages.clear();
        prompts.details.clear();
    }

    // A module on a pseudo-terminal behind a ser2net, linked as COM7.
    PtyPeer& serve(Ser2netServer::Protocol protocol = Ser2netServer::Protocol::Rfc2217,
                   const QString& serverLine = QStringLiteral("115200n81"))
    {
        auto& peer = peers[port];
        peer = std::make_unique<PtyPeer>();
        server = std::make_unique<Ser2netServer>(peer->devicePath(), protocol, serverLine);
        EXPECT_TRUE(server->start()) << "ser2net did not start listening";
        profile.link(port, server->address());
        return *peer;
    }

    bool open()
    {
        core->portControl().set_comx(port, 1);
        return core->io().isOpen();
    }

    // Everything the module sends reaches the terminal's list, however the network splits it.
    QByteArray receiveAll(PtyPeer& module, qsizetype n)
    {
        QByteArray got;
        const QDeadlineTimer deadline(generousMs);
        while (got.size() < n && !deadline.hasExpired()) {
            module.awaitBytesForProgram(0);
            QByteArray arrived;
            core->io().c_arrived(arrived);
            got.append(arrived);
            if (arrived.isEmpty())
                QThread::msleep(2);
        }
        return got;
    }

    // Receive ticks until `done` holds. Bytes cross the network at their own pace, so the
    // ticks are spread over real time, within a deadline that only guards against a hang.
    bool tickUntilReal(const std::function<bool()>& done)
    {
        const QDeadlineTimer deadline(generousMs);
        while (!done()) {
            if (deadline.hasExpired())
                return false;
            core->receiver().Timer1Timer();
            core->list().publish();
            QThread::msleep(2);
        }
        return true;
    }

    std::unique_ptr<Ser2netServer> server;
};

TEST_F(NetworkPortTest, EveryByteValuePassesBothWays)
{
    PtyPeer& module = serve();
    ASSERT_TRUE(open()) << qPrintable(core->io().lastOpenFailure());
    EXPECT_TRUE(core->shown().panel(0).startsWith("COM7 115200 8N1- Online")) << qPrintable(core->shown().panel(0));

    // Every value, with the ones Telnet treats apart next to each other: IAC (0xFF) twice,
    // and CR followed by NUL and by LF.
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    all += QByteArray("\xFF\xFF\r\0\r\n\xFF", 7);

    for (const char c : all)
        core->io().c_putc(static_cast<unsigned char>(c));
    EXPECT_EQ(module.readExactly(all.size(), generousMs).toHex(), all.toHex());
    EXPECT_EQ(module.read(50), QByteArray());

    module.send(all);
    EXPECT_EQ(receiveAll(module, all.size()).toHex(), all.toHex());
}

struct LineCase {
    const char* name;
    LineSettings settings;
    speed_t speed;
    bool twoStopBits;
};

void PrintTo(const LineCase& c, std::ostream* os) { *os << c.name; }

class NetworkLineTest : public NetworkPortTest, public ::testing::WithParamInterface<LineCase> {};

// A pseudo-terminal keeps 8 data bits and no parity whatever it is asked (the kernel's
// rule), so what the far line shows is its speed and stop bits; the data bits and parity
// are checked by the server's answers, which the open requires.
TEST_P(NetworkLineTest, LineSettingsReachTheFarDevice)
{
    const LineCase& c = GetParam();
    PtyPeer& module = serve();
    core->preset(&TerminalState::baudRate, c.settings.baudRate);
    core->preset(&TerminalState::dataBits, c.settings.dataBits);
    core->preset(&TerminalState::parity, c.settings.parity);
    core->preset(&TerminalState::stopBits, c.settings.stopBits);
    ASSERT_TRUE(open()) << qPrintable(core->io().lastOpenFailure());
    EXPECT_TRUE(waitFor([&] {
        const termios line = module.line();
        return speedOf(line) == c.speed && bool(line.c_cflag & CSTOPB) == c.twoStopBits;
    })) << "speed "
        << speedOf(module.line()) << ", CSTOPB " << bool(module.line().c_cflag & CSTOPB);
}

INSTANTIATE_TEST_SUITE_P(
    Settings, NetworkLineTest,
    ::testing::Values(LineCase{"baud9600TwoStopBits", {9600, 8, 0, 2}, B9600, true},
                      LineCase{"baud57600OneStopBit", {57600, 8, 0, 1}, B57600, false},
                      LineCase{"baud1200EvenParity7Bits", {1200, 7, 2, 1}, B1200, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(NetworkPortTest, AChangeOfTheLineSettingsReachesTheFarDevice)
{
    PtyPeer& module = serve();
    ASSERT_TRUE(open());
    ASSERT_TRUE(waitFor([&] { return speedOf(module.line()) == B115200; }));
    core->portControl().selectLineParameter(&TerminalState::baudRate, 19200);
    core->portControl().selectLineParameter(&TerminalState::stopBits, 2);
    EXPECT_TRUE(prompts.messages.isEmpty()) << qPrintable(prompts.details.join(' '));
    EXPECT_TRUE(core->shown().panel(0).startsWith("COM7 19200 8N2- Online")) << qPrintable(core->shown().panel(0));
    EXPECT_TRUE(waitFor(
        [&] { return speedOf(module.line()) == B19200 && (module.line().c_cflag & CSTOPB); }));
}

TEST_F(NetworkPortTest, StopBitsZeroKeepTheServersSetting)
{
    // The server sets its device to two stop bits for each connection.
    PtyPeer& module = serve(Ser2netServer::Protocol::Rfc2217, QStringLiteral("115200n82"));
    ASSERT_NE(core->io().c_open(port, 9600, 8, 0, 1), 0)
        << qPrintable(core->io().lastOpenFailure());
    ASSERT_TRUE(waitFor([&] { return speedOf(module.line()) == B9600; }));
    EXPECT_FALSE(module.line().c_cflag & CSTOPB);
    core->io().c_close();
    // Auto Detect's probe passes stop bits 0: the far line keeps the server's two.
    ASSERT_NE(core->io().c_open(port, 4800, 8, 0, 0), 0)
        << qPrintable(core->io().lastOpenFailure());
    ASSERT_TRUE(waitFor([&] { return speedOf(module.line()) == B4800; }));
    EXPECT_TRUE(module.line().c_cflag & CSTOPB);
}

TEST_F(NetworkPortTest, AServerThatGoesAwayIsALostPortThatComesBack)
{
    PtyPeer& module = serve();
    ASSERT_TRUE(open());

    // The module streams numbered lines, a little apart, from start to end of the test.
    const auto lineText = [](int i) { return QStringLiteral("line %1").arg(i); };
    std::atomic<bool> stop{false};
    std::atomic<int> sent{0};
    std::thread streaming([&] {
        for (int i = 0; !stop; ++i) {
            module.sendPatiently(lineText(i).toLatin1() + '\r', stop);
            sent = i + 1;
            QThread::msleep(1);
        }
    });
    const auto stopStreaming = qScopeGuard([&] {
        stop = true;
        streaming.join();
    });
    ASSERT_TRUE(tickUntilReal([&] { return lines().contains(lineText(5)); }));

    server->stop();
    ASSERT_TRUE(tickUntilReal([&] { return core->shown().panel(0) == "COM7" + texts::offLineSuffix; }))
        << qPrintable(core->shown().panel(0));
    EXPECT_TRUE(prompts.messages.isEmpty()) << "a lost port is reopened without a word";

    ASSERT_TRUE(server->start());
    ASSERT_TRUE(tickUntilReal([&] { return core->shown().panel(0).endsWith("Online"); }))
        << qPrintable(core->shown().panel(0));

    // Every line the module sends once the port is back arrives, in order.
    const int firstAfterReturn = sent + 1;
    const int last = firstAfterReturn + 200;
    ASSERT_TRUE(tickUntilReal([&] { return sent > last; }));
    ASSERT_TRUE(tickUntilReal([&] { return lines().contains(lineText(last)); }));
    const QStringList shown = lines();
    const qsizetype from = shown.indexOf(lineText(firstAfterReturn));
    ASSERT_GE(from, 0) << "line " << firstAfterReturn << " was lost";
    for (int i = firstAfterReturn; i <= last; ++i)
        ASSERT_EQ(shown.value(from + i - firstAfterReturn), lineText(i));
}

struct RefusalCase {
    const char* name;
    std::function<QString()> target;
    QString reasonEnd;
};

void PrintTo(const RefusalCase& c, std::ostream* os) { *os << c.name; }

class NetworkRefusalTest : public NetworkPortTest,
                           public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(NetworkRefusalTest, APortThatDoesNotOpenSaysWhy)
{
    const RefusalCase& c = GetParam();
    profile.link(port, c.target());
    core->portControl().set_comx(port, 1);
    EXPECT_FALSE(core->io().isOpen());
    ASSERT_EQ(prompts.messages, QStringList{texts::unableToOpenPort + "COM7"});
    EXPECT_TRUE(prompts.details.front().endsWith(c.reasonEnd))
        << qPrintable(prompts.details.front());
}

INSTANTIATE_TEST_SUITE_P(
    Failures, NetworkRefusalTest,
    ::testing::Values(
        RefusalCase{"connectionRefused",
                    [] {
                        return QStringLiteral("rfc2217://127.0.0.1:%1")
                            .arg(Ser2netServer::freeLoopbackPort());
                    },
                    ": connection refused"},
        RefusalCase{"unknownName", [] { return QStringLiteral("telnet://lab-pi.invalid:3001"); },
                    "lab-pi.invalid:3001: no host of that name is known"},
        RefusalCase{
            "silentServer",
            [] {
                static SilentServer silent;
                return silent.address();
            },
            ": no answer to the line settings (115200 baud, 8 data bits, no parity, 1 stop bit)"},
        RefusalCase{"notAnAddress", [] { return QStringLiteral("tcp://lab-pi"); },
                    "write rfc2217://HOST:PORT, telnet://HOST:PORT or tcp://HOST:PORT."}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(NetworkPortTest, ARawTcpPortCarriesBytesAsTheyAre)
{
    PtyPeer& module = serve(Ser2netServer::Protocol::RawTcp);
    ASSERT_TRUE(open()) << qPrintable(core->io().lastOpenFailure());
    const QByteArray bytes("\xFF\xFB\x2C\0\r\n", 6);
    core->io().c_write(QString::fromLatin1(bytes));
    EXPECT_EQ(module.readExactly(bytes.size(), generousMs).toHex(), bytes.toHex());
    module.send(bytes);
    EXPECT_EQ(receiveAll(module, bytes.size()).toHex(), bytes.toHex());
}

// Each paced byte leaves at once: by the end of the pause after it, the far line has it.
TEST_F(NetworkPortTest, APacedCommandLeavesByteByByte)
{
    PtyPeer& module = serve();
    ASSERT_TRUE(open());
    const QByteArray command("AT+VER?\r");
    QByteArray arrived;
    const qint64 start = clock.now();
    // Byte k is written at 20k ms and is followed by a pause of at least 10 ms.
    for (qsizetype k = 0; k < command.size(); ++k)
        clock.during(start + 20 * k + 10, [&, k] {
            arrived += module.readExactly(k + 1 - arrived.size(), generousMs);
            EXPECT_EQ(arrived.size(), k + 1) << "byte " << k << " had not left by its pause";
        });
    core->io().c_puts("AT+VER?");
    EXPECT_EQ(clock.now() - start, Serial_io::c_putsMs(7, false));
    EXPECT_EQ(arrived, command);
}

TEST_F(NetworkPortTest, AutoDetectShowsTheNetworkPortsThatOpen)
{
    serve();
    profile.link(8,
                 QStringLiteral("rfc2217://127.0.0.1:%1").arg(Ser2netServer::freeLoopbackPort()));
    SilentServer silent;
    profile.link(9, silent.address());
    core->portControl().AutoDetect1Click();
    EXPECT_TRUE(core->portControl().portItemsShown().port(port));
    EXPECT_FALSE(core->portControl().portItemsShown().port(8));
    EXPECT_FALSE(core->portControl().portItemsShown().port(9));
    EXPECT_TRUE(prompts.messages.isEmpty());
}

TEST_F(NetworkPortTest, TheMenuTooltipShowsTheAddress)
{
    profile.link(port, "rfc2217://lab-pi:3001");
    EXPECT_EQ(core->ports().describe(port), "rfc2217://lab-pi:3001 (a port on the network)");
    EXPECT_EQ(core->ports().devicePath(port), "rfc2217://lab-pi:3001");
}

// ser2net takes any setting it is sent, so the server that answers with other values is
// played here, by its answers.
struct AnswerCase {
    const char* name;
    LineSettings asked;
    std::vector<QByteArray> answers;
    QStringList notTaken;
    QStringList unanswered;
};

void PrintTo(const AnswerCase& c, std::ostream* os) { *os << c.name; }

class ComPortAnswerTest : public ::testing::TestWithParam<AnswerCase> {};

TEST_P(ComPortAnswerTest, TheServersAnswersTellWhatItTook)
{
    const AnswerCase& c = GetParam();
    ComPortOption option(c.asked);
    for (const QByteArray& answer : c.answers)
        option.takeAnswer(answer);
    EXPECT_EQ(option.notTaken(), c.notTaken);
    EXPECT_EQ(option.unanswered(), c.unanswered);
    EXPECT_EQ(option.allAnswered(), c.unanswered.isEmpty());
}

const QByteArray baud9600("\x65\x00\x00\x25\x80", 5);

INSTANTIATE_TEST_SUITE_P(
    Answers, ComPortAnswerTest,
    ::testing::Values(
        AnswerCase{
            "allTaken", {9600, 7, 2, 2}, {baud9600, "\x66\x07", "\x67\x03", "\x68\x02"}, {}, {}},
        AnswerCase{
            "stopBitsZeroAreNotAsked", {9600, 8, 0, 0}, {baud9600, "\x66\x08", "\x67\x01"}, {}, {}},
        AnswerCase{"otherValuesAreNotTaken",
                   {9600, 7, 1, 2},
                   {QByteArray("\x65\x00\x01\xC2\x00", 5), "\x66\x08", "\x67\x02", "\x68\x02"},
                   {"9600 baud (it keeps 115200 baud)", "7 data bits (it keeps 8 data bits)"},
                   {}},
        AnswerCase{"missingAnswersAreNamed",
                   {9600, 8, 1, 1},
                   {baud9600, "\x6B\x00"},
                   {},
                   {"8 data bits", "odd parity", "1 stop bit"}}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
