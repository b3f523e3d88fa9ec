// The real serivox-module program on a temporary ports folder, talked to through its link.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr int patienceMs = 20000; // a busy machine may be slow; nothing here waits this long

// The terminal's side: the device behind a COMn link, opened raw.
class Terminal {
public:
    explicit Terminal(const QString& path)
        : m_fd(::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK))
    {
        if (m_fd < 0)
            return;
        termios raw{};
        ::tcgetattr(m_fd, &raw);
        ::cfmakeraw(&raw);
        ::tcsetattr(m_fd, TCSANOW, &raw);
    }
    ~Terminal()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    bool isOpen() const { return m_fd >= 0; }
    void send(const QByteArray& bytes)
    {
        ASSERT_EQ(::write(m_fd, bytes.constData(), size_t(bytes.size())), bytes.size());
    }
    // Everything received until `end` has arrived (or patience runs out).
    QByteArray readUntil(const QByteArray& end, int waitMs = patienceMs)
    {
        return readWhile([&] { return !m_received.contains(end); }, waitMs);
    }
    QByteArray readCount(qsizetype count)
    {
        return readWhile([&] { return m_received.size() < count; }, patienceMs);
    }
    QByteArray readWhile(const std::function<bool()>& wanting, int waitMs)
    {
        QElapsedTimer clock;
        clock.start();
        while (wanting() && clock.elapsed() < waitMs) {
            pollfd p{m_fd, POLLIN, 0};
            if (::poll(&p, 1, 100) > 0) {
                char buffer[4096];
                const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
                if (n > 0)
                    m_received.append(buffer, n);
            }
        }
        QByteArray received;
        received.swap(m_received);
        return received;
    }
    void setSpeed(speed_t speed)
    {
        termios line{};
        ::tcgetattr(m_fd, &line);
        ::cfsetspeed(&line, speed);
        ::tcsetattr(m_fd, TCSANOW, &line);
    }

private:
    int m_fd;
    QByteArray m_received;
};

class ModuleProgram : public ::testing::Test {
protected:
    QString portsDir() const { return m_dir.path() + QStringLiteral("/ports"); }
    QString logPath() const { return m_dir.path() + QStringLiteral("/module.log"); }

    // Starts the module and returns the line it prints once its link is there.
    QString start(QProcess& process, const QStringList& options)
    {
        process.start(QStringLiteral(SERIVOX_MODULE_BINARY),
                      QStringList{QStringLiteral("--ports"), portsDir(), QStringLiteral("--log"),
                                  logPath(), QStringLiteral("--stop-with-parent")} +
                          options);
        QElapsedTimer clock;
        clock.start();
        while (!process.canReadLine() && process.state() != QProcess::NotRunning &&
               clock.elapsed() < patienceMs)
            process.waitForReadyRead(100);
        return QString::fromLocal8Bit(process.readLine()).trimmed();
    }

    QByteArray log() const
    {
        QFile file(logPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    bool logEventually(const QByteArray& text) const
    {
        QElapsedTimer clock;
        clock.start();
        while (!log().contains(text) && clock.elapsed() < patienceMs)
            QThread::msleep(20);
        return log().contains(text);
    }

    // Asks SET until its listing holds `wanted`: the module looks at the line from time to
    // time, and answers at the new speed only once it has seen the change.
    static QByteArray askSetUntil(Terminal& terminal, const QByteArray& wanted)
    {
        QByteArray reply;
        QElapsedTimer clock;
        clock.start();
        while (!reply.contains(wanted) && clock.elapsed() < patienceMs) {
            terminal.send("\rSET\r\n");
            reply = terminal.readUntil("\r\nSET\r\n", 2000);
        }
        return reply;
    }

    // The bytes the log says arrived, joined.
    QByteArray loggedReceived() const
    {
        QFile log(logPath());
        if (!log.open(QIODevice::ReadOnly))
            return {};
        QByteArray bytes;
        for (const QByteArray& line : log.readAll().split('\n'))
            if (line.startsWith("RX "))
                bytes += QByteArray::fromHex(line.mid(3, line.indexOf("  |") - 3).replace(' ', ""));
        return bytes;
    }

    QTemporaryDir m_dir;
};

TEST_F(ModuleProgram, LinksItselfAnswersLogsAndRemovesItsLinkOnSigterm)
{
    QProcess module;
    const QString printed = start(module, {QStringLiteral("--com"), QStringLiteral("7")});
    static const QRegularExpression form(
        QStringLiteral("^serivox-module: COM7 -> (/dev/pts/[0-9]+) \\(link (.+)\\)$"));
    const QRegularExpressionMatch match = form.match(printed);
    ASSERT_TRUE(match.hasMatch()) << printed.toStdString();
    const QString link = match.captured(2);
    EXPECT_EQ(link, portsDir() + QStringLiteral("/COM7"));
    EXPECT_EQ(QFileInfo(link).symLinkTarget(), match.captured(1));

    {
        Terminal terminal(link);
        ASSERT_TRUE(terminal.isOpen());
        const QByteArray sent = "\rSET PROFILE SPP ON\r\n\rSET\r\n";
        terminal.send(sent);
        const QByteArray reply = terminal.readUntil("\r\nSET\r\n");
        EXPECT_TRUE(reply.contains("SET PROFILE SPP Bluetooth Serial Port\r\n"))
            << reply.toStdString();
        EXPECT_TRUE(reply.endsWith("\r\nSET\r\n")) << reply.toStdString();
        EXPECT_EQ(loggedReceived(), sent);
    }

    module.terminate(); // SIGTERM
    ASSERT_TRUE(module.waitForFinished(patienceMs));
    EXPECT_EQ(module.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(module.exitCode(), 0);
    EXPECT_FALSE(QFileInfo(link).isSymLink());
}

// Started by a harness that is killed, the module does not live on holding its number.
TEST_F(ModuleProgram, StopsWithTheProcessThatStartedIt)
{
    QProcess parent;
    parent.start(QStringLiteral("bash"),
                 {QStringLiteral("-c"),
                  QStringLiteral("\"$0\" --ports \"$1\" --stop-with-parent & wait"),
                  QStringLiteral(SERIVOX_MODULE_BINARY), portsDir()});
    const QString link = portsDir() + QStringLiteral("/COM1");
    QElapsedTimer clock;
    clock.start();
    while (!parent.canReadLine() && clock.elapsed() < patienceMs)
        parent.waitForReadyRead(100);
    ASSERT_TRUE(QFileInfo(link).isSymLink());
    parent.kill(); // SIGKILL: no chance to stop its child itself
    parent.waitForFinished(patienceMs);
    while (QFileInfo(link).isSymLink() && clock.elapsed() < 2 * patienceMs)
        QThread::msleep(20);
    EXPECT_FALSE(QFileInfo(link).isSymLink());
}

// A link whose device is gone was left by a module that was killed: it is taken over. A link
// to a device that is there belongs to someone: it is left alone.
TEST_F(ModuleProgram, TakesOverALeftoverLinkButNotALiveOne)
{
    QDir().mkpath(portsDir());
    const QString link = portsDir() + QStringLiteral("/COM1");
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/pts/no-such-device"), link));
    QProcess first;
    EXPECT_TRUE(start(first, {}).startsWith(QLatin1String("serivox-module: COM1 -> ")));
    const QString firstDevice = QFileInfo(link).symLinkTarget();

    QProcess second;
    EXPECT_EQ(start(second, {}), QString());
    if (second.state() != QProcess::NotRunning) {
        ASSERT_TRUE(second.waitForFinished(patienceMs));
    }
    EXPECT_EQ(second.exitCode(), 1);
    EXPECT_TRUE(second.readAllStandardError().contains("already points at"));
    EXPECT_EQ(QFileInfo(link).symLinkTarget(), firstDevice);

    first.terminate();
    ASSERT_TRUE(first.waitForFinished(patienceMs));
}

// Without --ports the module links itself in the ports folder the terminal uses: a relative
// XDG_CONFIG_HOME is ignored there as it is by the terminal, not made in the working folder.
TEST_F(ModuleProgram, IgnoresARelativeConfigFolderAsTheTerminalDoes)
{
    const QString home = m_dir.path() + QStringLiteral("/home");
    const QString work = m_dir.path() + QStringLiteral("/work");
    QDir().mkpath(home);
    QDir().mkpath(work);
    QProcess module;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), QStringLiteral("relative/config"));
    module.setProcessEnvironment(env);
    module.setWorkingDirectory(work);
    module.start(
        QStringLiteral(SERIVOX_MODULE_BINARY),
        {QStringLiteral("--stop-with-parent"), QStringLiteral("--com"), QStringLiteral("3")});
    QElapsedTimer clock;
    clock.start();
    while (!module.canReadLine() && module.state() != QProcess::NotRunning &&
           clock.elapsed() < patienceMs)
        module.waitForReadyRead(100);
    const QString printed = QString::fromLocal8Bit(module.readLine()).trimmed();
    module.terminate();
    ASSERT_TRUE(module.waitForFinished(patienceMs));
    EXPECT_TRUE(printed.endsWith(QStringLiteral("(link %1/.config/Serivox/ports/COM3)").arg(home)))
        << printed.toStdString();
    EXPECT_EQ(QDir(work).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{});
}

// The terminal retunes the line after SET CONTROL BAUD; a module told to follow the line
// takes the speed the terminal set as its own.
TEST_F(ModuleProgram, FollowsTheSpeedTheTerminalSetsOnTheLine)
{
    QProcess module;
    ASSERT_FALSE(start(module, {QStringLiteral("--baud-follow")}).isEmpty());
    Terminal terminal(portsDir() + QStringLiteral("/COM1"));
    ASSERT_TRUE(terminal.isOpen());
    terminal.setSpeed(B9600);
    const QByteArray reply = askSetUntil(terminal, "SET CONTROL BAUD 9600,8n1");
    EXPECT_TRUE(reply.contains("SET CONTROL BAUD 9600,8n1")) << reply.toStdString();
    module.terminate();
    ASSERT_TRUE(module.waitForFinished(patienceMs));
}

// Both ends must run at one speed: while they differ, what the terminal sends is garbage to
// the module, until the terminal follows the module's SET CONTROL BAUD.
TEST_F(ModuleProgram, StrictSpeedsGarbleUntilTheTerminalFollows)
{
    QProcess module;
    ASSERT_FALSE(start(module, {QStringLiteral("--baud-strict")}).isEmpty());
    Terminal terminal(portsDir() + QStringLiteral("/COM1"));
    ASSERT_TRUE(terminal.isOpen());
    terminal.setSpeed(B115200);
    terminal.send("\rSET CONTROL BAUD 9600,8n1\r\n");
    ASSERT_TRUE(logEventually("-- UART now 9600,8n1"));
    terminal.send("\rSET\r\n");
    EXPECT_TRUE(logEventually("the line runs at 115200 baud, the module at 9600: garbage"));
    terminal.setSpeed(B9600);
    const QByteArray reply = askSetUntil(terminal, "SET CONTROL BAUD 9600,8n1");
    EXPECT_TRUE(reply.contains("SET CONTROL BAUD 9600,8n1")) << reply.toStdString();
    module.terminate();
    ASSERT_TRUE(module.waitForFinished(patienceMs));
}

TEST_F(ModuleProgram, LoadModeStreamsTheNumberedLinesAskedFor)
{
    QProcess module;
    ASSERT_FALSE(
        start(module, {QStringLiteral("--load"), QStringLiteral("--line-rate"),
                       QStringLiteral("500"), QStringLiteral("--line-length"), QStringLiteral("30"),
                       QStringLiteral("--lines"), QStringLiteral("200")})
            .isEmpty());
    Terminal terminal(portsDir() + QStringLiteral("/COM1"));
    ASSERT_TRUE(terminal.isOpen());
    const QByteArray received = terminal.readCount(200 * 30);
    ASSERT_EQ(received.size(), 200 * 30);
    for (int n = 1; n <= 200; ++n)
        ASSERT_EQ(received.mid((n - 1) * 30, 30),
                  QByteArray::number(n).rightJustified(8, '0') + " ABCDEFGHIJKLMNOPQRS\r\n");
    EXPECT_TRUE(logEventually("-- load done: 200 lines"));
    module.terminate();
    ASSERT_TRUE(module.waitForFinished(patienceMs));
}

} // namespace
