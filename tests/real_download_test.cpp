// The real program during a download: asked to stop by a signal (SIGTERM by a desktop's
// shutdown, SIGINT by Ctrl+C, SIGHUP by a closed terminal) it stops the download at once and
// exits through its normal path, its settings written and its port's lock file removed; on a
// real display, Escape stops the download and the keys typed meanwhile follow it. A scripted
// person inside the program (tests/support/hand) starts the download.
#include "PtyPeer.h"
#include "QtPrinters.h"
#include "RealProgram.h"
#include "TestProfile.h"
#include "VirtualDisplay.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>
#include <optional>

namespace {

const QString thisVersion = QStringLiteral("1.10");

class RealDownloadTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        profile.link(1, module.devicePath());
        QFile out(path);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(file);
    }

    // The environment that has the scripted person start the download.
    QProcessEnvironment downloading() const
    {
        QProcessEnvironment env;
        env.insert(QStringLiteral("QT_PLUGIN_PATH"), QStringLiteral(SERIVOX_HAND_PLUGINS));
        env.insert(QStringLiteral("QT_QPA_GENERIC_PLUGINS"), QStringLiteral("serivoxhand"));
        env.insert(QStringLiteral("SERIVOX_HAND_DOWNLOAD"), path);
        return env;
    }

    // Waits for the program to open its port and begin the download.
    void awaitTheDownload(RealProgram& serivox)
    {
        ASSERT_TRUE(serivox.started());
        lockPath = serivox.awaitLockFile(module.devicePath());
        ASSERT_FALSE(lockPath.isEmpty()) << "the port never opened";
        ASSERT_EQ(module.readExactly(10, 30000), QByteArray(10, 'A')) << "the download never began";
        received = 10;
    }

    // What arrives until the line has been quiet for a second; nothing when it never is
    // within a minute.
    std::optional<QByteArray> untilQuiet()
    {
        QByteArray arrived;
        const QDeadlineTimer deadline(60000);
        for (;;) {
            const QByteArray second = module.readExactly(file.size(), 1000);
            received += second.size();
            if (second.isEmpty())
                return arrived;
            if (deadline.hasExpired())
                return std::nullopt;
            arrived += second;
        }
    }

    // Asked to stop, the program ends as at any exit: settings written, lock file removed.
    void expectAnOrderlyExitOn(RealProgram& serivox, int signal)
    {
        ASSERT_TRUE(serivox.signal(signal)) << "the program had ended";
        // The whole download would take ten minutes.
        ASSERT_TRUE(serivox.process().waitForFinished(30000)) << "the download held the program";
        EXPECT_EQ(serivox.process().exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(serivox.process().exitCode(), 0);
        EXPECT_TRUE(QFile::exists(profile.settingsFile(thisVersion))) << "the settings were lost";
        EXPECT_FALSE(QFile::exists(lockPath));
        QFile::remove(lockPath); // never leave it for the next test program
    }

    TestProfile profile;
    PtyPeer module;
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("long.hex"));
    // 600 lines of 49 characters: ten minutes at the pace.
    const QByteArray file = QByteArray(QByteArray(49, 'A') + "\r\n").repeated(600);
    QString lockPath;
    qsizetype received = 0;
};

class StopSignalDuringADownload : public RealDownloadTest,
                                  public ::testing::WithParamInterface<int> {};

TEST_P(StopSignalDuringADownload, StopsItAndExitsThroughTheNormalPath)
{
    RealProgram serivox(QStringLiteral(SERIVOX_BINARY), profile, downloading());
    awaitTheDownload(serivox);
    ASSERT_FALSE(QFile::exists(profile.settingsFile(thisVersion)));

    expectAnOrderlyExitOn(serivox, GetParam());
    EXPECT_TRUE(untilQuiet().has_value());
    EXPECT_LT(received, 100) << "the download went on after the signal";
}

INSTANTIATE_TEST_SUITE_P(Signals, StopSignalDuringADownload,
                         ::testing::Values(SIGTERM, SIGINT, SIGHUP), [](const auto& info) {
                             switch (info.param) {
                             case SIGTERM: return std::string("SIGTERM");
                             case SIGINT: return std::string("SIGINT");
                             default: return std::string("SIGHUP");
                             }
                         });

// Keys from the display's keyboard come through the program's event queue, as a desktop's do.
TEST_F(RealDownloadTest, EscapeOnARealDisplayStopsItAndAKeyTypedMeanwhileFollows)
{
    VirtualDisplay display;
    ASSERT_FALSE(display.name().isEmpty()) << "no Xvfb: scripts/setup installs it";
    QProcessEnvironment env = downloading();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("DISPLAY"), display.name());
    RealProgram serivox(QStringLiteral(SERIVOX_BINARY), profile, env);
    awaitTheDownload(serivox);

    // With no window manager, the window under the pointer has the keyboard.
    ASSERT_TRUE(display.xdotool({"mousemove", "400", "400"})) << "no xdotool: scripts/setup";
    ASSERT_TRUE(display.xdotool({"type", "q"}));
    ASSERT_TRUE(display.xdotool({"key", "Escape"}));
    const std::optional<QByteArray> afterwards = untilQuiet();

    ASSERT_TRUE(afterwards.has_value()) << "the download went on after Escape";
    EXPECT_EQ(afterwards->count('q'), 1);
    EXPECT_TRUE(afterwards->endsWith('q')) << "the key came before the end of the download";
    EXPECT_EQ(serivox.process().state(), QProcess::Running) << "Escape ended the program";
    expectAnOrderlyExitOn(serivox, SIGTERM);
}

} // namespace
