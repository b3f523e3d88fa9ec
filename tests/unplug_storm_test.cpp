// The module unplugged and plugged back a hundred times through the real window: while it
// streams with Log on, and while a file download runs. The port comes back every time,
// nothing is left open or locked, nothing spins while the port is away, and the capture file
// tells exactly what the terminal showed.
#include "FaultProbes.h"
#include "QtPrinters.h"
#include "StatusBar.h"
#include "WindowFixture.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr int cycles = 100;
constexpr int patienceMs = 10000;

class UnplugStormTest : public WindowFixture {
protected:
    // The loop notices the lost device on its next checking read and closes the port.
    bool waitOffline()
    {
        return QTest::qWaitFor([&] { return !core().io().isOpen(); }, patienceMs);
    }
    // The module comes back at a new device behind the same number; the loop reopens it.
    bool replugAndWaitOnline(PtyPeer& module)
    {
        module.plugBack();
        profile.link(1, module.devicePath());
        return QTest::qWaitFor([&] { return core().io().portUsable(); }, patienceMs);
    }
    void startCapture(const QString& path)
    {
        prompts.logFileDialog = [path](const QString&, const QString&) {
            return UserPrompts::LogFileAnswer{true, path, QFileInfo(path).absolutePath()};
        };
        click("Log1");
    }
    QStringList shownLines()
    {
        QStringList lines;
        for (int i = 0; i < core().lines().count(); ++i)
            lines.append(core().lines().line(i));
        return lines;
    }
    static QByteArray contentOf(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir folder;
};

TEST_F(UnplugStormTest, StreamingWithLogOnComesBackEveryTimeAndTheCaptureMatchesTheScreen)
{
    PtyPeer& module = plug(1);
    showWindow();
    const QString capture = QDir(folder.path()).filePath("storm.csv");
    startCapture(capture);
    ASSERT_TRUE(core().io().portUsable());
    int descriptors = 0; // as the first cycle leaves them: no cycle after it may add one
    qint64 offlineCpuNs = 0;
    qint64 offlineWallMs = 0;

    for (int cycle = 0; cycle < cycles; ++cycle) {
        // A few lines that surely arrive, then a burst that the unplug cuts somewhere.
        const QByteArray line = "cycle " + QByteArray::number(cycle) + " " + QByteArray(30, '=');
        module.send((line + "\r").repeated(3));
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return shownLines().contains(QString(line)); }, patienceMs))
            << "cycle " << cycle << ": the module's lines were not shown";
        module.send(QByteArray("burst ").repeated(200) + "\r");
        module.unplug();
        ASSERT_TRUE(waitOffline()) << "cycle " << cycle << ": the lost port was never noticed";

        // Every tenth time, a while offline: the loop retries its port but does not spin.
        if (cycle % 10 == 0) {
            const qint64 cpuBefore = probes::processCpuNs();
            QElapsedTimer offline;
            offline.start();
            QTest::qWait(300);
            offlineCpuNs += probes::processCpuNs() - cpuBefore;
            offlineWallMs += offline.elapsed();
        }
        ASSERT_TRUE(replugAndWaitOnline(module)) << "cycle " << cycle << ": not back online";
        if (cycle == 0)
            descriptors = probes::openDescriptors();
        EXPECT_LE(probes::openDescriptors(), descriptors) << "cycle " << cycle;
        EXPECT_LE(probes::ownLockFiles().size(), 1) << "cycle " << cycle;
    }

    module.send("last\r");
    ASSERT_TRUE(QTest::qWaitFor([&] { return shownLines().contains("last"); }, patienceMs));
    EXPECT_TRUE(prompts.messages.isEmpty()) << prompts.messages.join('|').toStdString();
    // Loose on purpose: a loop that spins uses the processor all the time it waits.
    EXPECT_LT(offlineCpuNs / 1'000'000, offlineWallMs / 2)
        << offlineCpuNs / 1'000'000 << " ms of processor time in " << offlineWallMs
        << " ms offline";

    QTest::qWait(50); // the capture of the last tick is on disk
    const probes::CapturedLines captured = probes::linesFromCapture(contentOf(capture));
    const QStringList shown = shownLines();
    EXPECT_EQ(captured.mismatches, 0);
    ASSERT_FALSE(shown.isEmpty());
    EXPECT_EQ(captured.finished, shown.mid(0, shown.size() - 1));
    EXPECT_EQ(captured.last, shown.last());

    window->close();
    EXPECT_EQ(probes::ownLockFiles(), QStringList{});
}

TEST_F(UnplugStormTest, ADownloadCutByTheUnplugStopsWithAMessageAndThePortComesBack)
{
    PtyPeer& module = plug(1);
    showWindow();
    QByteArray text;
    for (int n = 1; n <= 50; ++n)
        text += "line " + QByteArray::number(n) + " :10000000000000000000000000\r\n";
    const QString file = QDir(folder.path()).filePath("lines.hex");
    {
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(text);
    }
    prompts.downloadFile = file;
    // The third line sent pulls the plug.
    const QMetaObject::Connection pullThePlug = QObject::connect(
        &core().shown(), &ShownTexts::panelChanged, [&](int index, const QString& shown) {
            if (index == 1 && shown == "Line 3" && module.plugged())
                module.unplug();
        });
    int descriptors = 0; // as the first cycle leaves them: no cycle after it may add one

    for (int cycle = 0; cycle < cycles; ++cycle) {
        prompts.messages.clear();
        prompts.details.clear();
        click("DownloadFile");
        ASSERT_EQ(prompts.messages, QStringList{"Unable to Send File " + file})
            << "cycle " << cycle;
        EXPECT_TRUE(prompts.details.first().contains("port was lost")) << "cycle " << cycle;
        EXPECT_EQ(window->statusPanels()->panelText(1), "Line 3");
        ASSERT_TRUE(waitOffline()) << "cycle " << cycle;
        ASSERT_TRUE(replugAndWaitOnline(module)) << "cycle " << cycle << ": not back online";
        if (cycle == 0)
            descriptors = probes::openDescriptors();
        EXPECT_LE(probes::openDescriptors(), descriptors) << "cycle " << cycle;
    }

    // Plugged in for good, the same file goes out whole.
    prompts.messages.clear();
    QObject::disconnect(pullThePlug);
    click("DownloadFile");
    EXPECT_TRUE(prompts.messages.isEmpty());
    EXPECT_EQ(module.readExactly(text.size() - 50).size(), text.size() - 50);
    window->close();
    EXPECT_EQ(probes::ownLockFiles(), QStringList{});
}

} // namespace
