// The capture file on a disk that fills up, on a file that is deleted or replaced by a link,
// and on a named pipe or socket chosen as the file, through the real window: every byte is
// still shown, each spell of failures is told once, the file never holds a record cut in
// half, nothing is written anywhere but the file the capture started, and the capture goes
// on when space returns.
#include "CoreFixture.h"
#include "FileSizeLimit.h"
#include "NotAFileCase.h"
#include "QtPrinters.h"
#include "RerunTest.h"
#include "TinyFileSystem.h"
#include "Watchdog.h"
#include "WindowFixture.h"

#include "CaptureLog.h"
#include "TerminalTexts.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;

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

TEST_F(CaptureFaultTest, AFullDiskIsToldOncePerSpellAndTheCaptureGoesOnWhenSpaceReturns)
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

    // Writes go well for a second of receive ticks: the spell is over. The disk fills again:
    // a new spell, a new message.
    const qint64 goingWellSince = core().receiver().ticksSoFar();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return core().receiver().ticksSoFar() >= goingWellSince + CaptureLog::ticksEndingASpell;
        },
        3 * patienceMs));
    ASSERT_TRUE(receive(module, "later\r", "later"));
    EXPECT_EQ(prompts.messages.size(), 1);
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

// A file planted at the capture file's name after it was deleted is not the file the capture
// started: nothing is written to it, or through it to the file a link names. The capture
// tells that its file is gone, as for a deleted file.
struct PlantedFile {
    const char* name;
    bool (*plant)(const QString& target, const QString& at);
};

void PrintTo(const PlantedFile& c, std::ostream* os) { *os << c.name; }

const PlantedFile plantedFiles[] = {
    {"SymbolicLink",
     [](const QString& target, const QString& at) { return QFile::link(target, at); }},
    {"AnotherFilesHardLink",
     [](const QString& target, const QString& at) {
         return ::link(QFile::encodeName(target).constData(), QFile::encodeName(at).constData()) ==
                0;
     }},
};

class PlantedFileTest : public CaptureFaultTest,
                        public ::testing::WithParamInterface<PlantedFile> {};

TEST_P(PlantedFileTest, IsNotWrittenAndTheFileIsToldGone)
{
    QTemporaryDir folder;
    PtyPeer& module = plug(1);
    showWindow();
    const QString other = QDir(folder.path()).filePath("other.txt");
    {
        QFile file(other);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("someone else's\n");
    }
    const QString capture = QDir(folder.path()).filePath("capture.csv");
    startCapture(capture);
    ASSERT_TRUE(receive(module, "kept\r", "kept"));
    ASSERT_TRUE(QFile::remove(capture));
    ASSERT_TRUE(GetParam().plant(other, capture));

    for (const QByteArray line : {"one", "two"})
        ASSERT_TRUE(receive(module, line + "\r", QString(line)));
    EXPECT_EQ(contentOf(other), "someone else's\n");
    EXPECT_EQ(prompts.messages, QStringList{texts::unableToWriteLog + capture});
    EXPECT_EQ(prompts.details, QStringList{texts::logFileGone});
    EXPECT_TRUE(action("Log1")->isChecked());
}

INSTANTIATE_TEST_SUITE_P(Planted, PlantedFileTest, ::testing::ValuesIn(plantedFiles),
                         [](const auto& info) { return std::string(info.param.name); });

// A link chosen in the dialog is the person's own choice: the capture goes to its target.
TEST_F(CaptureFaultTest, ALinkChosenAsTheFileCapturesToItsTarget)
{
    QTemporaryDir folder;
    PtyPeer& module = plug(1);
    showWindow();
    const QString target = QDir(folder.path()).filePath("target.csv");
    const QString link = QDir(folder.path()).filePath("link.csv");
    ASSERT_TRUE(QFile::link(target, link));
    startCapture(link);
    ASSERT_TRUE(receive(module, "ok\r", "ok"));
    EXPECT_EQ(contentOf(target), recordsOf("ok"));
    EXPECT_EQ(prompts.messages, QStringList{});
}

// What is not a file cannot be captured to: a named pipe would hold the window until
// something reads it, or take the records away from the disk. It is refused when the
// capture starts, with the reason, and Log stays off. (A device such as /dev/null is kept.)

QString makePipe(const QDir& folder)
{
    const QString path = folder.filePath("pipe.csv");
    ::mkfifo(QFile::encodeName(path).constData(), 0600);
    return path;
}

const NotAFile notFiles[] = {
    {"NamedPipe", makePipe, "It is a named pipe, not a file"},
    {"NamedPipeThatIsRead", makePipe, "It is a named pipe, not a file"},
    {"Socket",
     [](const QDir& folder) {
         const QString path = folder.filePath("socket.csv");
         sockaddr_un address{};
         address.sun_family = AF_UNIX;
         qstrncpy(address.sun_path, QFile::encodeName(path).constData(), sizeof address.sun_path);
         const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
         ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
         ::close(fd);
         return path;
     },
     "It is a socket, not a file"},
};

class NotAFileCaptureTest : public CaptureFaultTest,
                            public ::testing::WithParamInterface<NotAFile> {};

TEST_P(NotAFileCaptureTest, IsRefusedAndLogStaysOff)
{
    QTemporaryDir folder;
    plug(1);
    showWindow();
    const QString path = GetParam().make(QDir(folder.path()));
    // A reader of its own, for the pipe that is read.
    const int reader = std::string(GetParam().name) == "NamedPipeThatIsRead"
                           ? ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK)
                           : -1;
    // Should the capture wait on the pipe after all, a reader that comes and goes frees it.
    Watchdog rescue(20s, [path] {
        const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK);
        if (fd >= 0)
            ::close(fd);
    });
    core().shown().setPanel(4, "before");
    prompts.logFileDialog = [path](const QString&, const QString&) {
        return UserPrompts::LogFileAnswer{true, path, QFileInfo(path).absolutePath()};
    };

    click("Log1");

    EXPECT_FALSE(rescue.fired()) << "the capture waited on the file";
    EXPECT_FALSE(action("Log1")->isChecked());
    EXPECT_EQ(core().shown().panel(4), QString("before"));
    EXPECT_EQ(prompts.messages, QStringList{texts::unableToOpenLog + path});
    EXPECT_TRUE(prompts.details.value(0).startsWith(GetParam().reason))
        << prompts.details.value(0).toStdString();
    if (reader >= 0)
        ::close(reader);
}

INSTANTIATE_TEST_SUITE_P(NotFiles, NotAFileCaptureTest, ::testing::ValuesIn(notFiles),
                         [](const auto& info) { return std::string(info.param.name); });

// A disk that is filling up lets a small write through now and then between failures. That
// does not make a new spell of failures with a message of its own: a spell ends only once
// writes have gone well for a second of receive ticks. The file's size limit stands in for
// the disk: it refuses a write that does not fit, byte for byte, and without the superuser.
class CaptureSpellTest : public CoreFixture {
protected:
    void receiveAndShow(const QByteArray& bytes)
    {
        receive(bytes);
        QCoreApplication::processEvents(); // the messages the ticks left to show
    }
    static QByteArray contentOf(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    QTemporaryDir folder;
};

TEST_F(CaptureSpellTest, ASmallWriteBetweenFailuresDoesNotStartASecondSpell)
{
    startOn(1);
    const QString path = QDir(folder.path()).filePath("filling.csv");
    prompts.logFileDialog = [path](const QString&, const QString&) {
        return UserPrompts::LogFileAnswer{true, path, QFileInfo(path).absolutePath()};
    };
    core->capture().Log1Click();
    ASSERT_TRUE(core->state().Log1);
    const QByteArray longLine = QByteArray(200, 'L') + '\r';
    const FileSizeLimit limit(100);

    receiveAndShow("a\r");
    receiveAndShow(longLine);
    EXPECT_EQ(prompts.messages, QStringList{texts::unableToWriteLog + path});
    receiveAndShow("b\r"); // fits
    receiveAndShow(longLine);
    EXPECT_EQ(prompts.messages.size(), 1) << "a second message for one filling disk";

    // Writes that go well for a second end the spell; the next failure is told again.
    receiveAndShow("c\r");
    tick(CaptureLog::ticksEndingASpell);
    receiveAndShow("d\r");
    receiveAndShow(longLine);
    EXPECT_EQ(prompts.messages.size(), 2);
    EXPECT_EQ(contentOf(path), "a\r\n\r\na\r\nb\r\n\r\nb\r\nc\r\n\r\nc\r\nd\r\n\r\nd\r\n");
    EXPECT_EQ(lines().size(), 8);
}

} // namespace
