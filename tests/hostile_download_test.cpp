// Files that hurt, chosen for Download File in the real window: a gigabyte without a line
// end, random bytes, a file that vanishes or shrinks while it is sent, a named pipe and a
// device. Each ends with a clear outcome: sent as far as it is a text file, or refused with
// a message; never a hang, never the whole file in memory.
#include "DownloadLines.h"
#include "FaultProbes.h"
#include "NotAFileCase.h"
#include "QtPrinters.h"
#include "StatusBar.h"
#include "Watchdog.h"
#include "WindowFixture.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;

class HostileDownloadTest : public WindowFixture {
protected:
    QString write(const QString& name, const QByteArray& bytes)
    {
        const QString path = folder.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }
    void download(const QString& path)
    {
        prompts.downloadFile = path;
        click("DownloadFile");
    }
    QString progress() const { return window->statusPanels()->panelText(1); }
    // What the download counted last, whatever the panel shows afterwards.
    void countLines()
    {
        QObject::connect(&core().shown(), &ShownTexts::panelChanged,
                         [this](int index, const QString& text) {
                             if (index == 1 && text.startsWith("Line "))
                                 lastCount = text.mid(5).toInt();
                         });
    }

    QTemporaryDir temporary;
    QDir folder{temporary.path()};
    int lastCount = 0;
};

TEST_F(HostileDownloadTest, AGigabyteWithoutALineEndIsRefusedWithoutBeingHeld)
{
    PtyPeer& module = plug(1);
    showWindow();
    const QString path = write("disk.img", "AB\n");
    ASSERT_EQ(::truncate(QFile::encodeName(path).constData(), qint64(1) << 30), 0); // sparse
    const qint64 memoryBefore = probes::peakMemoryKb();

    download(path);

    EXPECT_EQ(prompts.messages, QStringList{"Unable to Send File " + path});
    EXPECT_TRUE(prompts.details.value(0).startsWith("Line 2 is longer than 1048576 characters"))
        << prompts.details.value(0).toStdString();
    EXPECT_EQ(hexOf(module.read(200)), hexOf("AB\r"));
    EXPECT_EQ(progress(), "Line 1");
    EXPECT_LT(probes::peakMemoryKb() - memoryBefore, 100 * 1024) << "the file was held in memory";
}

// Random bytes are sent as lines like any other file, up to the first end mark (0x1A).
TEST_F(HostileDownloadTest, RandomBytesGoOutAsTheirLines)
{
    PtyPeer& module = plug(1);
    showWindow();
    QByteArray bytes(2048, Qt::Uninitialized);
    QRandomGenerator generator(2026);
    for (char& b : bytes)
        b = char(generator.bounded(256));
    bytes.replace('\x1a', '\x1b');
    bytes.insert(1500, '\x1a');
    // The reference: the bytes before the end mark, a CR for every LF, other CRs dropped, and
    // a CR after a last line without one.
    QByteArray wire = bytes.left(1500);
    const bool lastLineOpen = !wire.endsWith('\n');
    wire.replace("\r", "").replace('\n', '\r');
    if (lastLineOpen)
        wire += '\r';

    download(write("random.bin", bytes));

    EXPECT_EQ(prompts.messages, QStringList{});
    EXPECT_EQ(hexOf(module.readExactly(wire.size())), hexOf(wire));
    EXPECT_EQ(hexOf(module.read(50)), "");
    EXPECT_EQ(progress(), "");
}

// Bytes already read are sent; a file that is gone keeps its content for the reader that
// holds it, and a file cut short ends where it now ends.
TEST_F(HostileDownloadTest, AFileThatVanishesOrShrinksWhileSentEndsCleanly)
{
    showWindow();             // no module: the lines are read and counted, nothing is sent
    prompts.messages.clear(); // that COM1 could not be opened
    countLines();
    QByteArray text;
    const int lines = 20'000; // several reads of the file
    for (int n = 0; n < lines; ++n)
        text += "line " + QByteArray::number(n).rightJustified(6, '0') + "\n";
    const QString vanishing = write("vanishing.hex", text);
    QObject::connect(&core().shown(), &ShownTexts::panelChanged,
                     [&](int index, const QString& shown) {
                         if (index == 1 && shown == "Line 2")
                             QFile::remove(vanishing);
                     });
    download(vanishing);
    EXPECT_EQ(lastCount, lines);
    EXPECT_EQ(progress(), "");

    const QString shrinking = write("shrinking.hex", text);
    QObject::connect(&core().shown(), &ShownTexts::panelChanged,
                     [&](int index, const QString& shown) {
                         if (index == 1 && shown == "Line 2") {
                             ASSERT_EQ(::truncate(QFile::encodeName(shrinking).constData(), 3), 0);
                         }
                     });
    download(shrinking);
    EXPECT_GE(lastCount, 2);
    EXPECT_LT(lastCount, lines);
    EXPECT_EQ(progress(), "");
    EXPECT_EQ(prompts.messages, QStringList{});
}

const NotAFile notFiles[] = {
    {"NamedPipeWithNoWriter",
     [](const QDir& folder) {
         const QString path = folder.filePath("pipe");
         ::mkfifo(QFile::encodeName(path).constData(), 0600);
         return path;
     },
     "It is a named pipe, not a file"},
    {"DeviceWithoutEnd", [](const QDir&) { return QStringLiteral("/dev/zero"); },
     "It is a device, not a file"},
};

class NotAFileTest : public HostileDownloadTest, public ::testing::WithParamInterface<NotAFile> {};

TEST_P(NotAFileTest, IsRefusedWithAMessage)
{
    PtyPeer& module = plug(1);
    showWindow();
    const QString path = GetParam().make(folder);
    // Should the download wait on the pipe after all, a writer that comes and goes frees it.
    Watchdog rescue(20s, [path] {
        const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0)
            ::close(fd);
    });
    core().shown().setPanel(1, "Line 7");

    download(path);

    EXPECT_FALSE(rescue.fired()) << "the download waited on the file";
    EXPECT_EQ(prompts.messages, QStringList{"Unable to Send File " + path});
    EXPECT_TRUE(prompts.details.value(0).startsWith(GetParam().reason))
        << prompts.details.value(0).toStdString();
    EXPECT_EQ(progress(), "Line 7");
    EXPECT_EQ(hexOf(module.read(50)), "");
}

INSTANTIATE_TEST_SUITE_P(Files, NotAFileTest, ::testing::ValuesIn(notFiles),
                         [](const auto& info) { return std::string(info.param.name); });

// The longest line goes out; one character more stops the file there.
TEST(DownloadLinesTest, ALineOfTheLongestLengthIsSentAndALongerOneEndsTheFile)
{
    using commands::DownloadLines;
    for (const qsizetype extra : {0, 1}) {
        DownloadLines splitter;
        QList<qsizetype> lengths;
        const QByteArray file = QByteArray(DownloadLines::longestLine + extra, 'x') + "\nB\n";
        splitter.take(file, [&](const QString& line) { lengths.append(line.size()); });
        splitter.finish([&](const QString& line) { lengths.append(line.size()); });
        const QList<qsizetype> expected =
            extra == 0 ? QList<qsizetype>{DownloadLines::longestLine, 1} : QList<qsizetype>{};
        EXPECT_EQ(lengths, expected) << extra << " beyond the longest";
        EXPECT_EQ(splitter.foundOverlongLine(), extra == 1);
    }
}

} // namespace
