// Which device is COM n: the ports folder and the numbering of present devices.
#include "PortsFolder.h"
#include "PtyPeer.h"
#include "TestProfile.h"

#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

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

} // namespace
