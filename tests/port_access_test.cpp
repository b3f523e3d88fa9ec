// Who may open a port: the device must be there, be a serial device, be ours to open, and
// not be held by another program (a lock file of a live process, or an open descriptor).
#include "CoreFixture.h"
#include "QtPrinters.h"
#include "QtSerialDevice.h"
#include "RealProgram.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <memory>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Another program: `sleep` with the device as its standard input, so that /proc shows a
// process other than the test holding it.
class OtherProgram {
public:
    explicit OtherProgram(const QString& holding = QStringLiteral("/dev/null"))
    {
        m_process.setStandardInputFile(holding);
        m_process.start(QStringLiteral("sleep"), {QStringLiteral("600")});
        m_process.waitForStarted(10000);
    }
    ~OtherProgram() { end(); }
    pid_t pid() const { return pid_t(m_process.processId()); }
    void end()
    {
        m_process.kill();
        m_process.waitForFinished(10000);
    }

private:
    QProcess m_process;
};

class PortAccessTest : public CoreFixture {
protected:
    // The prompt's reason line after trying COM1 as a person does.
    QString reasonOpeningCom1()
    {
        prompts.messages.clear();
        prompts.details.clear();
        if (core->st.baudRate == 0)
            startUp(); // which opens COM1
        else
            core->set_comx(1, 1);
        if (core->io().isOpen())
            return {};
        EXPECT_EQ(prompts.messages, QStringList{"Unable to Open Port COM1"});
        return prompts.details.value(0);
    }
};

TEST_F(PortAccessTest, APortAnotherProgramHasOpenIsRefusedNamingIt)
{
    PtyPeer& module = plug(1);
    auto other = std::make_unique<OtherProgram>(module.devicePath());
    const QString reason = reasonOpeningCom1();
    EXPECT_EQ(reason, QStringLiteral("%1 is in use by sleep (process %2).")
                          .arg(module.devicePath())
                          .arg(other->pid()));
    EXPECT_EQ(core->panel(0), "COM1 - OffLine");

    // Once it lets go, the receive loop's silent retry brings the port online.
    other.reset();
    EXPECT_TRUE(tickUntil([&] { return core->io().isOpen(); }));
    // Ours now, exclusively: no other program can open it (except root).
    int exclusive = 0;
    const int slave = ::open(module.devicePath().toLocal8Bit().constData(), O_RDONLY | O_NOCTTY);
    if (slave >= 0) {
        ASSERT_EQ(::ioctl(slave, TIOCGEXCL, &exclusive), 0);
        ::close(slave);
        EXPECT_EQ(exclusive, 1);
    } else {
        EXPECT_EQ(errno, EBUSY);
    }
}

TEST_F(PortAccessTest, TheLockFileOfALiveProcessIsHonouredAndADeadOnesRemoved)
{
    QTemporaryDir lockDir;
    TerminalPlatform platform = profile.platform(clock);
    platform.makeDevice = [dir = lockDir.path()] {
        return std::make_unique<QtSerialDevice>(UucpLocks({dir}));
    };
    core = std::make_unique<TerminalCore>(prompts, platform);
    PtyPeer& module = plug(1);
    OtherProgram locker;
    const QString lockPath = lockDir.path() + QLatin1Char('/') + lockName(module.devicePath());
    const QByteArray lock = QByteArray::number(locker.pid()).rightJustified(10, ' ') + '\n';
    QFile file(lockPath);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(lock);
    file.close();

    EXPECT_EQ(reasonOpeningCom1(), QStringLiteral("%1 is in use by sleep (process %2).")
                                       .arg(module.devicePath())
                                       .arg(locker.pid()));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), lock) << "a live process's lock file was touched";
    file.close();

    locker.end();
    EXPECT_EQ(reasonOpeningCom1(), QString());
    EXPECT_TRUE(core->io().isOpen());
    EXPECT_FALSE(QFile::exists(lockPath)) << "the lock of an ended process stays";
}

// A simulated module made as the run script makes it: socat holds both sides of the
// pseudo-terminal, and so does the program it starts. They are the line's other end.
TEST_F(PortAccessTest, TheFarEndOfAPseudoTerminalIsNotAnotherUser)
{
    QTemporaryDir dir;
    const QString module = dir.path() + QStringLiteral("/module");
    QProcess socat;
    socat.start(QStringLiteral("socat"),
                {QStringLiteral("PTY,link=%1,raw,echo=0").arg(module), QStringLiteral("EXEC:cat")});
    if (!socat.waitForStarted(10000))
        GTEST_SKIP() << "socat is not installed";
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFileInfo::exists(module); }, 10000));
    profile.link(1, module);

    EXPECT_EQ(reasonOpeningCom1(), QString());
    core->io().c_close();

    OtherProgram reader(module);
    EXPECT_TRUE(reasonOpeningCom1().contains(QStringLiteral("is in use by sleep")));
    socat.terminate();
    socat.waitForFinished(10000);
}

struct NotAPortCase {
    const char* name;
    std::function<QString(const QString& home)> makeTarget; // empty: no link at all
    QString reason;                                         // %1: the link's target
};

void PrintTo(const NotAPortCase& c, std::ostream* os) { *os << c.name; }

class NotAPortTest : public PortAccessTest, public ::testing::WithParamInterface<NotAPortCase> {};

TEST_P(NotAPortTest, SaysWhatIsWrongWithTheLink)
{
    const NotAPortCase& c = GetParam();
    QString target;
    if (c.makeTarget) {
        target = c.makeTarget(profile.configHome());
        profile.link(1, target);
    }
    EXPECT_EQ(reasonOpeningCom1(),
              QString(c.reason).replace("%1", target).replace("%dir", profile.portsDir()));
    EXPECT_FALSE(core->io().isOpen());
}

INSTANTIATE_TEST_SUITE_P(
    Links, NotAPortTest,
    ::testing::Values(
        NotAPortCase{"noLink", {}, "No device is linked as COM1 in %dir."},
        NotAPortCase{"missingDevice", [](const QString& home) { return home + "/ttyUSB0"; },
                     "COM1 is linked to %1, which is not present: plug the device in, or link "
                     "COM1 to another device."},
        NotAPortCase{"regularFile",
                     [](const QString& home) {
                         QFile file(home + "/notes.txt");
                         file.open(QIODevice::WriteOnly);
                         file.write("AT\r");
                         return file.fileName();
                     },
                     "%1 is a file, not a serial device."},
        NotAPortCase{"folder", [](const QString& home) { return home; },
                     "%1 is a folder, not a serial device."},
        NotAPortCase{"deviceThatIsNoTerminal", [](const QString&) { return QString("/dev/null"); },
                     "%1 is not a serial device."}),
    [](const auto& info) { return std::string(info.param.name); });

// A device this user may not open gets the advice about the dialout group; a held one does not.
TEST_F(PortAccessTest, PermissionDeniedHasItsOwnAdvice)
{
    PtyPeer& module = plug(1);
    const QString path = module.devicePath();
    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Another user, or (not being root) no rights on the device for anyone.
        const bool dropped = ::getuid() == 0 ? ::setgid(65534) == 0 && ::setuid(65534) == 0
                                             : ::chmod(path.toLocal8Bit().constData(), 0) == 0;
        QString why = QStringLiteral("could not drop rights");
        termios own;
        if (dropped && PortAccess().claim(path, &own, &why))
            why = QStringLiteral("opened");
        const QByteArray text = why.toUtf8();
        [[maybe_unused]] const ssize_t n = ::write(pipeEnds[1], text.constData(), text.size());
        ::_exit(0);
    }
    ::close(pipeEnds[1]);
    QByteArray text;
    char buffer[512];
    for (ssize_t n; (n = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0;)
        text.append(buffer, n);
    ::close(pipeEnds[0]);
    ::waitpid(child, nullptr, 0);
    EXPECT_EQ(QString::fromUtf8(text),
              QStringLiteral("Permission denied on %1: add your user to the dialout group (then "
                             "log in again), or ask for access to the device.")
                  .arg(path));
}

// Asked to stop by the session (or Ctrl+C, or a closed terminal), the program closes its
// port on the way out, which removes the port's lock file.
class StopSignalTest : public ::testing::TestWithParam<int> {};

TEST_P(StopSignalTest, TheRealProgramRemovesItsLockFile)
{
    TestProfile profile;
    PtyPeer module;
    profile.link(1, module.devicePath());
    RealProgram serivox(QStringLiteral(SERIVOX_BINARY), profile);
    ASSERT_TRUE(serivox.started());
    const QString lockPath = serivox.awaitLockFile(module.devicePath());
    ASSERT_FALSE(lockPath.isEmpty()) << "the port never opened";

    ASSERT_TRUE(serivox.signal(GetParam())) << "the program had ended";
    ASSERT_TRUE(serivox.process().waitForFinished(30000));
    EXPECT_EQ(serivox.process().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(serivox.process().exitCode(), 0);
    EXPECT_FALSE(QFile::exists(lockPath));
    QFile::remove(lockPath); // never leave it for the next test program
}

INSTANTIATE_TEST_SUITE_P(Signals, StopSignalTest, ::testing::Values(SIGTERM, SIGINT, SIGHUP),
                         [](const auto& info) {
                             switch (info.param) {
                             case SIGTERM: return std::string("SIGTERM");
                             case SIGINT: return std::string("SIGINT");
                             default: return std::string("SIGHUP");
                             }
                         });

} // namespace
