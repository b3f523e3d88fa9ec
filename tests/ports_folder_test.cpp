// Which device is COM n: the ports folder and the numbering of present devices.
#include "PortsFolder.h"
#include "PtyPeer.h"
#include "QtPrinters.h"
#include "SettingsStore.h"
#include "TestProfile.h"
#include "XdgFolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <optional>

namespace {

class PortsFolderTest : public ::testing::Test {
protected:
    // A stable name for a device, as /dev/serial/by-id gives a USB adapter.
    QString stableName(const QString& id, const PtyPeer& device)
    {
        const QString path = profile.configHome() + "/by-id-" + id;
        QFile::remove(path);
        QFile::link(device.devicePath(), path);
        return path;
    }
    QString linkOf(int port) { return QFileInfo(folder.entryPath(port)).symLinkTarget(); }

    TestProfile profile;
    PortsFolder folder{profile.portsDir()};
};

TEST_F(PortsFolderTest, NamesOnlyNumbersOneToHundred)
{
    EXPECT_TRUE(folder.entryPath(0).isEmpty());
    EXPECT_TRUE(folder.entryPath(101).isEmpty());
    EXPECT_TRUE(folder.entryPath(-3).isEmpty());
    EXPECT_TRUE(folder.entryPath(100).endsWith("/COM100"));
    EXPECT_TRUE(folder.devicePath(3).isEmpty());
}

TEST_F(PortsFolderTest, PresentDevicesGetTheLowestFreeNumbers)
{
    PtyPeer linked, first, second;
    profile.link(1, linked.devicePath());
    profile.link(2, profile.configHome() + "/unplugged-adapter"); // keeps its number
    folder.numberPresentDevices({{linked.devicePath(), {}, {}},
                                 {first.devicePath(), {}, "first adapter"},
                                 {second.devicePath(), {}, {}}});
    EXPECT_EQ(folder.devicePath(1), linked.devicePath());
    EXPECT_TRUE(folder.devicePath(2).isEmpty());
    EXPECT_EQ(folder.devicePath(3), first.devicePath());
    EXPECT_EQ(folder.devicePath(4), second.devicePath());
    EXPECT_TRUE(folder.describe(3).contains("first adapter"));
    EXPECT_TRUE(folder.describe(2).contains("not present"));
    EXPECT_TRUE(folder.describe(9).contains("No device"));

    folder.numberPresentDevices({{first.devicePath(), {}, {}}}); // numbering again changes nothing
    EXPECT_TRUE(QFileInfo(folder.entryPath(5)).symLinkTarget().isEmpty());
}

TEST_F(PortsFolderTest, AnAdapterKeepsItsNumberWhenPluggedBack)
{
    PtyPeer adapter;
    folder.numberPresentDevices({{adapter.devicePath(), stableName("usb-A", adapter), {}}});
    EXPECT_EQ(linkOf(1), profile.configHome() + "/by-id-usb-A");
    EXPECT_EQ(folder.devicePath(1), adapter.devicePath());

    adapter.plugBack(); // a new device node, the same stable name
    PtyPeer other;
    folder.numberPresentDevices(
        {{adapter.devicePath(), stableName("usb-A", adapter), {}}, {other.devicePath(), {}, {}}});
    EXPECT_EQ(folder.devicePath(1), adapter.devicePath());
    EXPECT_EQ(folder.devicePath(2), other.devicePath());
    EXPECT_TRUE(folder.devicePath(3).isEmpty());
}

// Sets an environment variable (or unsets it, for no value) for as long as it lives.
class ScopedVariable {
public:
    ScopedVariable(const char* name, std::optional<QByteArray> value)
        : m_name(name),
          m_old(qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt)
    {
        set(value);
    }
    ~ScopedVariable() { set(m_old); }

private:
    void set(const std::optional<QByteArray>& value)
    {
        if (value)
            qputenv(m_name, *value);
        else
            qunsetenv(m_name);
    }
    const char* m_name;
    std::optional<QByteArray> m_old;
};

struct ConfigHomeCase {
    const char* name;
    std::optional<QByteArray> value; // of XDG_CONFIG_HOME; "@" stands for a full path
    bool taken;                      // or ~/.config instead
};

void PrintTo(const ConfigHomeCase& c, std::ostream* os) { *os << c.name; }

class ConfigFolderTest : public ::testing::TestWithParam<ConfigHomeCase> {};

// The ports folder and the settings file live in the folder the XDG rules give: a relative
// XDG_CONFIG_HOME is ignored, so the program never makes folders where it was started.
TEST_P(ConfigFolderTest, PortsAndSettingsAgreeOnIt)
{
    QTemporaryDir home, config;
    const ScopedVariable homeVariable("HOME", QFile::encodeName(home.path()));
    const std::optional<QByteArray> value = GetParam().value == "@"
                                                ? std::optional(QFile::encodeName(config.path()))
                                                : GetParam().value;
    const ScopedVariable configHome("XDG_CONFIG_HOME", value);

    const QString expected =
        (GetParam().taken ? config.path() : home.path() + "/.config") + QStringLiteral("/Serivox");
    EXPECT_EQ(serivoxConfigFolder(), expected);
    EXPECT_EQ(SettingsStore::defaultFolder(), expected);
    EXPECT_EQ(PortsFolder::defaultLocation(), expected + QStringLiteral("/ports"));
}

INSTANTIATE_TEST_SUITE_P(Values, ConfigFolderTest,
                         ::testing::Values(ConfigHomeCase{"Unset", std::nullopt, false},
                                           ConfigHomeCase{"Empty", QByteArray(), false},
                                           ConfigHomeCase{"Relative", QByteArray("relative/config"),
                                                          false},
                                           ConfigHomeCase{"Dot", QByteArray("./config"), false},
                                           ConfigHomeCase{"FullPath", QByteArray("@"), true}),
                         [](const auto& info) { return std::string(info.param.name); });

// Qt's own folders (its file dialog's history, the font cache) follow the same rule once the
// program has dropped the relative values at its start.
TEST(XdgFoldersTest, RelativeValuesAreDroppedAndFullPathsKept)
{
    const ScopedVariable config("XDG_CONFIG_HOME", QByteArray("relative/config"));
    const ScopedVariable cache("XDG_CACHE_HOME", QByteArray("/var/tmp/cache"));
    const ScopedVariable data("XDG_DATA_HOME", QByteArray(""));
    const ScopedVariable state("XDG_STATE_HOME", QByteArray("state"));
    ignoreRelativeXdgFolders();
    EXPECT_FALSE(qEnvironmentVariableIsSet("XDG_CONFIG_HOME"));
    EXPECT_EQ(qgetenv("XDG_CACHE_HOME"), "/var/tmp/cache");
    EXPECT_FALSE(qEnvironmentVariableIsSet("XDG_DATA_HOME"));
    EXPECT_FALSE(qEnvironmentVariableIsSet("XDG_STATE_HOME"));
}

} // namespace
