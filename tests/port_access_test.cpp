// Who may open a port: the device must be there, be a serial device, be ours to open, and
// not be held by another program (a lock file of a live process, or an open descriptor).
#include "CoreFixture.h"
#include "OpenFiles.h"
#include "OtherProgram.h"
#include "QtPrinters.h"
#include "RealProgram.h"
#include "SettingsStore.h"
#include "TtyDevice.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QTest>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

class PortAccessTest : public CoreFixture {
protected:
    // The prompt's reason line after trying COM1 as a person does.
    QString reasonOpeningCom1()
    {
        prompts.messages.clear();
        prompts.details.clear();
        if (core->state().baudRate == 0)
            startUp(); // which opens COM1
        else
            core->portControl().set_comx(1, 1);
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
    EXPECT_EQ(core->shown().panel(0), "COM1 - OffLine");

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

// A device another program holds exclusively is refused and left as that program set it:
// root's open gets through the exclusive hold, and letting go of the refused device must not
// undo a hold that was never ours.
TEST_F(PortAccessTest, ARefusedPortKeepsItsHoldersExclusiveHold)
{
    PtyPeer& module = plug(1);
    OtherProgram other(module.devicePath());
    const int holders = ::open(module.devicePath().toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
    ASSERT_GE(holders, 0);
    ASSERT_EQ(::ioctl(holders, TIOCEXCL), 0);

    EXPECT_TRUE(reasonOpeningCom1().contains(QStringLiteral("is in use by")));
    int exclusive = 0;
    ASSERT_EQ(::ioctl(holders, TIOCGEXCL, &exclusive), 0);
    ::ioctl(holders, TIOCNXCL);
    ::close(holders);
    EXPECT_EQ(exclusive, 1) << "the refused open let go of another program's exclusive hold";
}

TEST_F(PortAccessTest, TheLockFileOfALiveProcessIsHonouredAndADeadOnesRemoved)
{
    QTemporaryDir lockDir;
    TerminalPlatform platform = profile.platform(clock);
    platform.makeDevice = [dir = lockDir.path()] {
        return std::make_unique<TtyDevice>(UucpLocks({dir}));
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
    // The port's own lock file takes the ended one's place while the port is open.
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray::number(::getpid()).rightJustified(10, ' ') + '\n');
    file.close();
    core->io().c_close();
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

// A pseudo-terminal whose slave side was never unlocked: opening it fails with EIO, as the
// open of an adapter that is being unplugged does. Its master stays open while the test program
// runs, so the device stays there; a number another program's lock file still names (it is
// letting go of its own device of that number) is passed over, as PtyPeer does.
QString lockedPseudoTerminal()
{
    static const QString path = [] {
        for (int attempt = 0; attempt < 32; ++attempt) {
            const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
            if (master < 0 || ::grantpt(master) != 0)
                return QString();
            const QString slave = QString::fromLocal8Bit(::ptsname(master));
            if (UucpLocks().liveHolder(slave) == 0)
                return slave;
        }
        return QString();
    }();
    return path;
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
        NotAPortCase{"linkLoop",
                     [](const QString& home) {
                         // COM1 -> COM2 -> COM1
                         const QString ports = home + "/Serivox/ports";
                         QFile::link(ports + "/COM1", ports + "/COM2");
                         return ports + "/COM2";
                     },
                     "COM1 is linked to %1, and the links from there go round in a loop: link "
                     "COM1 to a device."},
        NotAPortCase{"portsFolderIsAFile",
                     [](const QString& home) {
                         // No link can be made in it.
                         const QString ports = home + "/Serivox/ports";
                         QDir(ports).removeRecursively();
                         QFile file(ports);
                         file.open(QIODevice::WriteOnly);
                         return ports;
                     },
                     "The ports folder %dir is not a folder, so no port has a device: move it "
                     "away and link COM1 to a device in a folder of that name."},
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
                     "%1 is not a serial device."},
        NotAPortCase{"deviceThatFailsWithIoError",
                     [](const QString&) { return lockedPseudoTerminal(); }, "%1 is not present."}),
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
        if (dropped && PortAccess().open(path, LineSettings{}, &why) >= 0)
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

// A refused port is tried again on every receive tick, but the processes are looked through
// once for the whole spell of refusals, and not again when the holder lets go.
struct SpellCase {
    const char* name;
    std::function<std::shared_ptr<void>(const QString& device)> hold;
};

void PrintTo(const SpellCase& c, std::ostream* os) { *os << c.name; }

class RefusalSpellTest : public PortAccessTest, public ::testing::WithParamInterface<SpellCase> {};

TEST_P(RefusalSpellTest, TheProcessesAreLookedThroughOncePerSpell)
{
    PtyPeer& module = plug(1);
    std::shared_ptr<void> holder = GetParam().hold(module.devicePath());
    const int passesBefore = deviceOpenerScans();
    EXPECT_FALSE(reasonOpeningCom1().isEmpty());
    tick(50);
    EXPECT_FALSE(core->io().isOpen());
    EXPECT_EQ(deviceOpenerScans() - passesBefore, 1);

    holder.reset();
    EXPECT_TRUE(tickUntil([&] { return core->io().isOpen(); }));
    EXPECT_EQ(deviceOpenerScans() - passesBefore, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Holders, RefusalSpellTest,
    ::testing::Values(
        // Found by the look, and named.
        SpellCase{"anotherProgram",
                  [](const QString& device) { return std::make_shared<OtherProgram>(device); }},
        // Held where the look finds nobody to name: another port of this very process.
        SpellCase{"nobodyToName",
                  [](const QString& device) {
                      auto port = std::make_shared<QSerialPort>(device);
                      EXPECT_TRUE(port->open(QIODevice::ReadWrite));
                      return port;
                  }}),
    [](const auto& info) { return std::string(info.param.name); });

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

// Waits until a file of this name in the folder has been read and closed.
bool waitForRead(int watch, const QByteArray& name, int patienceMs)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < patienceMs) {
        pollfd ready{watch, POLLIN, 0};
        if (::poll(&ready, 1, 100) <= 0)
            continue;
        alignas(inotify_event) char buffer[4096];
        const ssize_t n = ::read(watch, buffer, sizeof buffer);
        for (ssize_t at = 0; at < n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            if (event->len > 0 && name == event->name)
                return true;
            at += ssize_t(sizeof(inotify_event) + event->len);
        }
    }
    return false;
}

// Asked to stop while start-up's message about the port shows ("Unable to Open Port COM1"),
// the real program saves its settings as after any other start: it had read them by then.
TEST(StopDuringStartUpTest, TheRealProgramSavesTheSettingsItRead)
{
    TestProfile profile;
    profile.link(1, profile.configHome() + QStringLiteral("/unplugged-adapter"));
    const QString version = versionText(compiledVersion());
    profile.writeSettings(version, "[General]\nBaud Rate=9600\nEcho=1\nCopy To Send=1\n"
                                   "Send Data=SET BT NAME tester\n");
    const int watch = ::inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    ASSERT_GE(::inotify_add_watch(watch, QFile::encodeName(profile.settingsDir()).constData(),
                                  IN_CLOSE_NOWRITE),
              0);

    QProcess serivox;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), profile.configHome());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    serivox.setProcessEnvironment(env);
    serivox.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    serivox.start(QStringLiteral(SERIVOX_BINARY), {});
    ASSERT_TRUE(serivox.waitForStarted(10000));
    // Once the file is read, start-up goes on without a turn of the event loop until its
    // message box runs one: that is where the stop is taken.
    const bool read =
        waitForRead(watch, QFile::encodeName(SettingsStore::fileName(version)), 30000);
    ::close(watch);
    ::kill(pid_t(serivox.processId()), SIGTERM);
    ASSERT_TRUE(serivox.waitForFinished(30000));
    ASSERT_TRUE(read) << "the settings file was never read";
    EXPECT_EQ(serivox.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(serivox.exitCode(), 0);

    const SavedSettings saved = SettingsStore(profile.settingsFile(version)).read();
    EXPECT_TRUE(saved.Width.has_value()) << "nothing was saved";
    EXPECT_EQ(saved.comPort, 0);
    EXPECT_EQ(saved.baudRate, 9600);
    EXPECT_EQ(saved.Echo1, true);
    EXPECT_EQ(saved.CopyToSend1, true);
    EXPECT_EQ(saved.sendData, QStringLiteral("SET BT NAME tester"));
}

} // namespace
