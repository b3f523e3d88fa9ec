// The real program asked to stop (SIGTERM by a desktop's shutdown, SIGINT by Ctrl+C, SIGHUP by
// a closed terminal) while a download runs: the download stops at once and the program exits
// through its normal path, its settings written and its port's lock file removed. A scripted
// person inside the program (tests/hand) starts the download.
#include "PtyPeer.h"
#include "QtPrinters.h"
#include "RealProgram.h"
#include "TestProfile.h"

#include <QFile>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>

namespace {

const QString thisVersion = QStringLiteral("1.10");

class DownloadExitTest : public ::testing::TestWithParam<int> {};

TEST_P(DownloadExitTest, StopsTheDownloadAndExitsThroughTheNormalPath)
{
    TestProfile profile;
    PtyPeer module;
    profile.link(1, module.devicePath());
    // 600 lines of 49 characters: ten minutes at the pace.
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("long.hex"));
    const QByteArray file = QByteArray(QByteArray(49, 'A') + "\r\n").repeated(600);
    {
        QFile out(path);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(file);
    }
    QProcessEnvironment hand;
    hand.insert(QStringLiteral("QT_PLUGIN_PATH"), QStringLiteral(SERIVOX_HAND_PLUGINS));
    hand.insert(QStringLiteral("QT_QPA_GENERIC_PLUGINS"), QStringLiteral("serivoxhand"));
    hand.insert(QStringLiteral("SERIVOX_HAND_DOWNLOAD"), path);
    RealProgram serivox(QStringLiteral(SERIVOX_BINARY), profile, hand);
    ASSERT_TRUE(serivox.started());
    const QString lockPath = serivox.awaitLockFile(module.devicePath());
    ASSERT_FALSE(lockPath.isEmpty()) << "the port never opened";
    ASSERT_EQ(module.readExactly(10, 30000), QByteArray(10, 'A')) << "the download never began";
    ASSERT_FALSE(QFile::exists(profile.settingsFile(thisVersion)));

    ::kill(pid_t(serivox.process().processId()), GetParam());
    // The whole download would take ten minutes.
    ASSERT_TRUE(serivox.process().waitForFinished(30000)) << "the download held the program";
    EXPECT_EQ(serivox.process().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(serivox.process().exitCode(), 0);
    EXPECT_TRUE(QFile::exists(profile.settingsFile(thisVersion))) << "the settings were lost";
    EXPECT_FALSE(QFile::exists(lockPath));
    QFile::remove(lockPath); // never leave it for the next test program
    const QByteArray rest = module.read(500);
    EXPECT_LT(10 + rest.size(), 2 * 51) << "the download went on after the signal";
}

INSTANTIATE_TEST_SUITE_P(Signals, DownloadExitTest, ::testing::Values(SIGTERM, SIGINT, SIGHUP),
                         [](const auto& info) {
                             switch (info.param) {
                             case SIGTERM: return std::string("SIGTERM");
                             case SIGINT: return std::string("SIGINT");
                             default: return std::string("SIGHUP");
                             }
                         });

} // namespace
