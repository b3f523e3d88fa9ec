// The capture file on a disk that fills up and on a file that is deleted, through the real
// window: every byte is still shown, each episode of failures is told once, the file never
// holds a record cut in half, and the capture goes on when space returns.
#include "QtPrinters.h"
#include "RerunTest.h"
#include "TinyFileSystem.h"
#include "WindowFixture.h"

#include "TerminalTexts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <unistd.h>

namespace {

constexpr int patienceMs = 10000;

class CaptureFaultTest : public WindowFixture {
protected:
    void startCapture(const QString& path)
    {
        prompts.logFileDialog = [path](const QString&, const QString&) {
            return UserPrompts::LogFileAnswer{true, path, QFileInfo(path).absolutePath()};
        };
        click("Log1");
        ASSERT_EQ(prompts.messages, QStringList{});
    }
    // The module sends the bytes; true once the terminal shows `lastLine` as a finished line
    // and the tick's queued message, if any, has been shown.
    bool receive(PtyPeer& module, const QByteArray& bytes, const QString& lastLine)
    {
        module.send(bytes);
        const bool shown = QTest::qWaitFor(
            [&] {
                const TerminalLines& lines = core().lines();
                return lines.count() >= 2 && lines.line(lines.count() - 2) == lastLine;
            },
            patienceMs);
        QTest::qWait(30);
        return shown;
    }
    static QByteArray contentOf(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    // The records the capture gains for a line of printable bytes ended by CR.
    static QByteArray recordsOf(const QByteArray& line)
    {
        QByteArray records;
        for (const char c : line)
            records += QByteArray(1, c) + "\r\n";
        return records + "\r\n" + line + "\r\n";
    }
};

TEST_F(CaptureFaultTest, AFullDiskIsToldOncePerEpisodeAndTheCaptureGoesOnWhenSpaceReturns)
{
    TinyFileSystem disk(16);
    if (!disk.mounted() && rerunWithMountRights())
        return;
    if (!disk.mounted())
        GTEST_SKIP() << "a small file system could not be mounted: that takes the superuser "
                        "or a user namespace";
    PtyPeer& module = plug(1);
    showWindow();
    // An existing file that leaves room for a few bytes in its last page once "before" is
    // captured: the long line's first write fits in part, and must not be left in part.
    const QString capture = disk.filePath("full.csv");
    const qsizetype page = ::sysconf(_SC_PAGESIZE);
    const QByteArray existing = QByteArray(page - recordsOf("before").size() - 12, 'p') + "\r\n";
    {
        QFile file(capture);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(existing);
    }
    startCapture(capture);
    ASSERT_TRUE(receive(module, "before\r", "before"));
    const QByteArray beforeTheFault = contentOf(capture);
    ASSERT_EQ(beforeTheFault, existing + recordsOf("before"));

    // A long line does not fit: some of its records would, but the file takes none of them.
    disk.fill();
    const QByteArray longLine(3000, 'L');
    ASSERT_TRUE(receive(module, longLine + "\r", longLine));
    ASSERT_TRUE(receive(module, "more\r", "more"));
    EXPECT_EQ(prompts.messages, QStringList{texts::unableToWriteLog + capture});
    EXPECT_EQ(contentOf(capture), beforeTheFault) << "a record was cut in half";
    EXPECT_TRUE(window->findChild<QAction*>("Log1")->isChecked());

    disk.makeRoom();
    ASSERT_TRUE(receive(module, "after\r", "after"));
    EXPECT_EQ(contentOf(capture), beforeTheFault + recordsOf("after"));
    EXPECT_EQ(prompts.messages.size(), 1);

    // The disk fills again: a new episode, a new message.
    disk.fill();
    ASSERT_TRUE(receive(module, longLine + "\r", longLine));
    EXPECT_EQ(prompts.messages.size(), 2);
    const QByteArray content = contentOf(capture);
    EXPECT_TRUE(content.endsWith("\r\n")) << "a record was cut in half";
}

TEST_F(CaptureFaultTest, ADeletedFileIsToldOnceAndEveryByteIsStillShown)
{
    QTemporaryDir folder;
    PtyPeer& module = plug(1);
    showWindow();
    const QString capture = QDir(folder.path()).filePath("gone.csv");
    startCapture(capture);
    ASSERT_TRUE(receive(module, "kept\r", "kept"));
    ASSERT_TRUE(QFile::remove(capture));

    for (const QByteArray line : {"one", "two", "three"})
        ASSERT_TRUE(receive(module, line + "\r", QString(line)));
    EXPECT_EQ(prompts.messages, QStringList{texts::unableToWriteLog + capture});
    EXPECT_EQ(prompts.details, QStringList{texts::logFileGone});
    EXPECT_FALSE(QFile::exists(capture)) << "a deleted capture file was made again";
}

} // namespace
