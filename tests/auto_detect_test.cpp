// Auto Detect: the COM menu shows only the ports that open, the port in use is closed for the
// probing and opened again, and clearing the tick shows every port again.
#include "CoreFixture.h"
#include "OpenFiles.h"
#include "OtherProgram.h"
#include "WindowFixture.h"

#include <QAction>
#include <QDir>
#include <QMenu>
#include <QSerialPort>
#include <unistd.h>

namespace {

// How many open files of this process refer to `device`.
int opensOf(const QString& device)
{
    int count = 0;
    const QDir fds(QStringLiteral("/proc/self/fd"));
    for (const QString& fd : fds.entryList(QDir::System | QDir::Files | QDir::NoDotAndDotDot)) {
        char target[512];
        const ssize_t n = ::readlink(qPrintable(fds.filePath(fd)), target, sizeof target - 1);
        if (n > 0 && QString::fromLocal8Bit(target, n) == device)
            ++count;
    }
    return count;
}

// A machine: ports with a module on them, ports held by another open, and numbers linked to a
// device that is not there.
struct Machine {
    std::vector<int> present;
    std::vector<int> held;
    std::vector<int> missing;
};

class AutoDetectFixture : public CoreFixture {
protected:
    void build(const Machine& machine)
    {
        for (int port : machine.present)
            plug(port);
        for (int port : machine.missing)
            profile.link(port, profile.configHome() + QStringLiteral("/gone%1").arg(port));
        for (int port : machine.held) {
            auto& holder = holders.emplace_back(std::make_unique<QSerialPort>());
            holder->setPortName(plug(port).devicePath());
            ASSERT_TRUE(holder->open(QIODevice::ReadWrite)) << "COM" << port;
        }
    }

    std::vector<int> shownPorts() const
    {
        std::vector<int> ports;
        for (int n = PortsFolder::firstPort; n <= PortsFolder::lastPort; ++n)
            if (core->portControl().portItemsShown().port(n))
                ports.push_back(n);
        return ports;
    }
    QStringList shownGroups() const
    {
        QStringList groups;
        for (const PortGroup& group : portGroups)
            if (core->portControl().portItemsShown().group(group))
                groups.append(QString::fromLatin1(group.name));
        return groups;
    }
    static std::vector<int> allPorts()
    {
        std::vector<int> ports;
        for (int n = PortsFolder::firstPort; n <= PortsFolder::lastPort; ++n)
            ports.push_back(n);
        return ports;
    }
    static QStringList allGroups()
    {
        QStringList groups;
        for (const PortGroup& group : portGroups)
            groups.append(QString::fromLatin1(group.name));
        return groups;
    }

    // The line settings of the opens since the clock was last cleared, as
    // "rate data/parity/stop".
    QStringList opens() const
    {
        QStringList settings;
        for (const VirtualClock::Open& open : clock.opens())
            settings.append(QStringLiteral("%1 %2/%3/%4")
                                .arg(open.settings.baudRate)
                                .arg(open.settings.dataBits)
                                .arg(open.settings.parity)
                                .arg(open.settings.stopBits));
        return settings;
    }

    std::vector<std::unique_ptr<QSerialPort>> holders;
};

// A probe leaves the port's stop bits as they are (0); the port in use opens with its own.
const QString probeSettings = QStringLiteral("115200 8/0/0");
const QString portSettings = QStringLiteral("115200 8/0/1");

struct DetectCase {
    const char* name;
    Machine machine;
    std::vector<int> shown;
    QStringList groups;
};

void PrintTo(const DetectCase& c, std::ostream* os) { *os << c.name; }

class AutoDetectTableTest : public AutoDetectFixture,
                            public ::testing::WithParamInterface<DetectCase> {};

TEST_P(AutoDetectTableTest, ShowsThePortsThatOpenAndTheGroupsHoldingThem)
{
    const DetectCase& c = GetParam();
    build(c.machine);
    startUp();
    prompts.messages.clear();

    core->portControl().AutoDetect1Click();

    EXPECT_TRUE(core->state().AutoDetect1);
    EXPECT_EQ(shownPorts(), c.shown);
    EXPECT_EQ(shownGroups(), c.groups);
    EXPECT_TRUE(prompts.messages.isEmpty());
    // No probe leaves a port held: each device is open only at the module's end, by whoever
    // held it before, and by the terminal on the port in use.
    for (const auto& [port, peer] : peers) {
        const bool held = std::count(c.machine.held.begin(), c.machine.held.end(), port) > 0;
        const bool inUse = core->io().isOpen() && core->state().portNumber == port;
        EXPECT_EQ(opensOf(peer->devicePath()), 1 + int(held) + int(inUse)) << "COM" << port;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Machines, AutoDetectTableTest,
    ::testing::Values(DetectCase{"PortsOneAndThree", {{1, 3}, {}, {}}, {1, 3}, {}},
                      DetectCase{"PortTwentyFiveOnly", {{25}, {}, {}}, {25}, {"COM21to30"}},
                      DetectCase{"HeldAndMissingPortsAreHidden",
                                 {{1, 3, 25}, {40, 2}, {7, 91}},
                                 {1, 3, 25},
                                 {"COM21to30"}},
                      DetectCase{"PortHundred", {{100}, {}, {}}, {100}, {"COM911001"}}),
    [](const auto& info) { return std::string(info.param.name); });

using AutoDetectTest = AutoDetectFixture;

TEST_F(AutoDetectTest, ThePortInUseIsClosedForTheProbingAndOpenAgainAfterIt)
{
    build({{1, 3, 25}, {}, {7}});
    startUp();
    core->portControl().set_comx(3, 1);
    clock.forget();

    core->portControl().AutoDetect1Click();

    // Probes of 1, 3 and 25 (the missing link has no device to open), then port 3 again.
    EXPECT_EQ(opens(), (QStringList{probeSettings, probeSettings, probeSettings, portSettings}));
    EXPECT_EQ(shownPorts(), (std::vector{1, 3, 25}));
    EXPECT_EQ(core->state().portNumber, 3);
    EXPECT_TRUE(core->io().isOpen());
    EXPECT_EQ(core->shown().panel(0), "COM3 115200 8N1- Online");
    EXPECT_EQ(core->portControl().marks().port, 3);
    EXPECT_TRUE(prompts.messages.isEmpty());

    // Clearing the tick shows every port and group again, and reopens the port.
    clock.forget();
    core->portControl().AutoDetect1Click();
    EXPECT_FALSE(core->state().AutoDetect1);
    EXPECT_EQ(shownPorts(), allPorts());
    EXPECT_EQ(shownGroups(), allGroups());
    EXPECT_EQ(opens(), QStringList{portSettings});
    EXPECT_EQ(core->shown().panel(0), "COM3 115200 8N1- Online");
    EXPECT_TRUE(core->io().isOpen());
}

TEST_F(AutoDetectTest, WithNoPortOpenNothingIsReopenedAndThePollKeepsTrying)
{
    build({{3}, {}, {}});
    startUp(); // COM1 is not there
    prompts.messages.clear();
    clock.forget();

    core->portControl().AutoDetect1Click();

    EXPECT_EQ(opens(), QStringList{probeSettings});
    EXPECT_FALSE(core->io().isOpen());
    EXPECT_EQ(core->shown().panel(0), "COM1 - OffLine");
    EXPECT_TRUE(prompts.messages.isEmpty());

    plug(1);
    tick();
    EXPECT_EQ(core->shown().panel(0), "COM1 115200 8N1- Online");
}

TEST_F(AutoDetectTest, APortInUseThatWentAwayIsHiddenAndReportedWhenItCannotReopen)
{
    build({{1, 3}, {}, {}});
    startUp();
    core->portControl().set_comx(3, 1);
    unplug(3); // the status still says online: no tick has noticed yet

    core->portControl().AutoDetect1Click();

    EXPECT_EQ(shownPorts(), std::vector{1});
    EXPECT_EQ(prompts.messages, QStringList{"Unable to Open Port COM3"});
    EXPECT_EQ(core->shown().panel(0), "COM3 - OffLine");
    EXPECT_EQ(core->portControl().marks().port,
              3); // still the port in use, though its item is hidden
}

// Who else holds the ports is looked up in one pass over the processes, for every probe and
// the reopening of the port in use together: a pass per probe held the window for seconds.
TEST_F(AutoDetectTest, OneLookThroughTheProcessesServesEveryProbe)
{
    build({{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 25, 100}, {}, {13, 14}});
    OtherProgram reader4(peers[4]->devicePath());
    OtherProgram reader25(peers[25]->devicePath());
    startUp();
    core->portControl().set_comx(3, 1);
    const int passesBefore = deviceOpenerScans();

    core->portControl().AutoDetect1Click();

    EXPECT_EQ(deviceOpenerScans() - passesBefore, 1);
    EXPECT_EQ(shownPorts(), (std::vector{1, 2, 3, 5, 6, 7, 8, 9, 10, 11, 12, 100}));
    EXPECT_EQ(core->shown().panel(0), "COM3 115200 8N1- Online");
    EXPECT_TRUE(prompts.messages.isEmpty());
}

TEST_F(AutoDetectTest, AnAdapterPluggedInAfterStartGetsANumberAndIsFound)
{
    QList<PresentDevice> devices;
    TerminalPlatform platform = profile.platform(clock);
    platform.listDevices = [&devices] { return devices; };
    core = std::make_unique<TerminalCore>(prompts, std::move(platform));
    build({{1}, {}, {2}});
    startUp();

    PtyPeer adapter;
    devices.append({adapter.devicePath(), QString(), QStringLiteral("USB adapter")});
    core->portControl().AutoDetect1Click();

    EXPECT_EQ(core->ports().devicePath(3), adapter.devicePath());
    EXPECT_EQ(shownPorts(), (std::vector{1, 3}));
}

// The window shows what the core decided: items and submenus, and the tick.
using AutoDetectWindowTest = WindowFixture;

TEST_F(AutoDetectWindowTest, TheComMenuShowsOnlyThePortsFoundUntilTheTickIsCleared)
{
    plug(1);
    plug(3);
    plug(25);
    showWindow();
    const auto shownItems = [this] {
        QStringList names;
        for (QAction* item : control<QMenu>("COM")->actions()) {
            if (!item->isVisible())
                continue;
            names.append(item->objectName());
            if (item->menu())
                for (QAction* inner : item->menu()->actions())
                    if (inner->isVisible())
                        names.append(inner->objectName());
        }
        return names;
    };
    ASSERT_EQ(control<QMenu>("COM")->actions().first(), action("AutoDetect1"));
    EXPECT_EQ(action("AutoDetect1")->text(), "Auto Detect");
    const int everyItem = int(shownItems().size());

    click("AutoDetect1");
    EXPECT_TRUE(action("AutoDetect1")->isChecked());
    EXPECT_EQ(shownItems(), (QStringList{"AutoDetect1", "COM1", "COM3", "COM21to30", "COM251"}));

    click("AutoDetect1");
    EXPECT_FALSE(action("AutoDetect1")->isChecked());
    EXPECT_EQ(shownItems().size(), everyItem);
    EXPECT_EQ(everyItem, 1 + 100 + 8);
}

} // namespace
