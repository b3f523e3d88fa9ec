// Download File: a text file sent to the module line by line through c_puts, the exact bytes
// on the wire, the line count in status panel 1, and files that cannot be read.
#include "DownloadLines.h"
#include "DownloadRun.h"
#include "FileDownload.h"
#include "SendFixture.h"
#include "StatusBar.h"
#include "WindowFixture.h"
#include "WireForms.h"

#include <QDir>
#include <QEvent>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <optional>

namespace {

struct FileCase {
    const char* name;
    QByteArray file;
    QList<QByteArray> lines; // the lines the file holds, in order
};

void PrintTo(const FileCase& c, std::ostream* os) { *os << c.name; }

QByteArray highBytes()
{
    QByteArray bytes;
    for (int b = 0x80; b <= 0xFF; ++b)
        bytes.append(char(b));
    return bytes;
}

const FileCase fileCases[] = {
    {"CrLfEndings", "AB\r\nCD\r\n", {"AB", "CD"}},
    {"LfEndings", "AB\nCD\n", {"AB", "CD"}},
    {"BlankLine", "AB\r\n\r\nCD\n", {"AB", "", "CD"}},
    {"CrInsideLine", "A\rB\r\nC\r\rD\n", {"AB", "CD"}},
    {"EndMarkInTheMiddle",
     "AB\nC\x1A"
     "D\nEF\n",
     {"AB", "C"}},
    {"EndMarkAfterLineEnd", "AB\n\x1A\nCD\n", {"AB"}},
    {"NoFinalLineEnd", "AB\nCD", {"AB", "CD"}},
    {"Empty", "", {}},
    {"BytesFrom80", highBytes() + "\r\n", {highBytes()}},
};

// Writes files into a folder of their own.
class Files {
public:
    QString write(const QByteArray& bytes, const QString& name = QStringLiteral("lines.hex"))
    {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }
    QString path(const QString& name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
};

// A terminal on COM1 with a module plugged in; notes every text of the progress panel.
class DownloadFixture : public SendFixture {
protected:
    void SetUp() override
    {
        SendFixture::SetUp();
        QObject::connect(&core->shown(), &ShownTexts::panelChanged,
                         [this](int index, const QString& text) {
                             if (index == 1)
                                 progress.append(text);
                         });
    }

    // Chooses the file in the dialog and runs the download.
    void download(const QString& path)
    {
        prompts.downloadFile = path;
        commands::DownloadFileClick(*core);
    }

    static QStringList counted(int lines)
    {
        QStringList texts;
        for (int n = 1; n <= lines; ++n)
            texts.append(QStringLiteral("Line %1").arg(n));
        return texts;
    }

    Files files;
    QStringList progress;
};

class DownloadFileTest : public DownloadFixture, public ::testing::WithParamInterface<FileCase> {};

TEST_P(DownloadFileTest, SendsEachLineEndedByCrAndCountsIt)
{
    const FileCase& c = GetParam();
    QByteArray wire;
    for (const QByteArray& line : c.lines)
        wire += line + '\r';

    download(files.write(c.file));

    EXPECT_EQ(hexOf(sent()), hexOf(wire));
    EXPECT_EQ(progress,
              counted(c.lines.size()) + (c.lines.isEmpty() ? QStringList{} : QStringList{""}));
    EXPECT_EQ(core->shown().panel(1), "");
    EXPECT_TRUE(prompts.messages.isEmpty());
}

TEST_P(DownloadFileTest, LinesAreTheSameWhateverPiecesTheFileIsReadIn)
{
    const FileCase& c = GetParam();
    QList<QByteArray> lines;
    const commands::DownloadLines::LineHandler note = [&](const QString& line) {
        lines.append(line.toLatin1());
    };
    commands::DownloadLines splitter;
    for (const char byte : c.file)
        if (!splitter.take(QByteArrayView(&byte, 1), note))
            break;
    splitter.finish(note);
    EXPECT_EQ(lines, c.lines);
}

INSTANTIATE_TEST_SUITE_P(Files, DownloadFileTest, ::testing::ValuesIn(fileCases),
                         [](const auto& info) { return std::string(info.param.name); });

using DownloadTest = DownloadFixture;

TEST_F(DownloadTest, InMultiplexModeTheLinesFollowOneAnotherWithoutCrOrFrames)
{
    core->preset(&TerminalState::MUX1, true);
    core->preset(&TerminalState::muxLink, 1);
    download(files.write("AB\r\n\r\nCD\nEF"));
    EXPECT_EQ(hexOf(sent()), hexOf("ABCDEF"));
    EXPECT_EQ(progress, counted(4) + QStringList{""});
}

TEST_F(DownloadTest, EchoListsEveryLineAndCopyToSendKeepsTheLast)
{
    core->preset(&TerminalState::Echo1, true);
    core->preset(&TerminalState::CopyToSend1, true);
    download(files.write("AB\nCD\n"));
    EXPECT_EQ(hexOf(sent()), hexOf("AB\rCD\r"));
    EXPECT_EQ(lines().mid(lines().size() - 2), (QStringList{"AB", "CD"}));
    EXPECT_EQ(core->shown().sendBox(), "CD");
}

TEST_F(DownloadTest, WithThePortClosedTheLinesAreCountedAndNothingIsSent)
{
    core->preset(&TerminalState::Echo1, true);
    core->io().c_close();
    const QStringList before = lines();
    download(files.write("AB\nCD\nEF\n"));
    EXPECT_EQ(clock.writtenBytes(), "");
    EXPECT_EQ(hexOf(module->read(30)), "");
    EXPECT_EQ(lines(), before);
    EXPECT_EQ(progress, counted(3) + QStringList{""});
}

// Each row: what the dialog answers, and whether the panel is cleared.
TEST_F(DownloadTest, ACancelClearsThePanelAndAMissingFileLeavesItAlone)
{
    core->shown().setPanel(1, "Line 7");
    download(files.path("not-there.hex"));
    EXPECT_EQ(core->shown().panel(1), "Line 7");

    prompts.downloadFile.reset();
    commands::DownloadFileClick(*core);
    EXPECT_EQ(core->shown().panel(1), "");

    EXPECT_EQ(prompts.downloadDialogs, 2);
    EXPECT_TRUE(prompts.messages.isEmpty());
    EXPECT_EQ(clock.writtenBytes(), "");
}

TEST_F(DownloadTest, AFileThatCannotBeReadStopsWithTheSystemsReason)
{
    core->shown().setPanel(1, "Line 7");
    download(QDir::tempPath()); // a folder: it opens, but reading it fails
    EXPECT_EQ(prompts.messages, QStringList{"I/O error 21"});
    EXPECT_TRUE(prompts.details.value(0).contains("Is a directory"));
    EXPECT_EQ(core->shown().panel(1), "Line 7");
    EXPECT_EQ(clock.writtenBytes(), "");
}

// What a download will send is known before its first byte: its lines, counted by the
// splitter that sends them, and the time they take at the pace, which is the time the send
// then takes.
struct PlanCase {
    const char* name;
    QByteArray file;
    bool multiplex;
    DownloadRun::Plan plan;
};

void PrintTo(const PlanCase& c, std::ostream* os) { *os << c.name; }

const PlanCase planCases[] = {
    {"Empty", "", false, {0, 0}},
    {"OneLine", "ABC\n", false, {1, 70}},
    {"OneLineInMultiplexMode", "ABC\n", true, {1, 60}},
    {"CrOnly", "\r\r\r", false, {1, 10}},
    {"CrLineEnds", "AB\rCD\r", false, {1, 90}},
    {"EndMarkInTheMiddle",
     "AB\nC\x1A"
     "D\nEF\n",
     false,
     {2, 80}},
    {"LineOverTheLimit",
     "AB\n" + QByteArray(commands::DownloadLines::longestLine + 1, 'x') + "\nCD\n",
     false,
     {1, 50}},
};

class DownloadPlanTest : public DownloadFixture, public ::testing::WithParamInterface<PlanCase> {};

TEST_P(DownloadPlanTest, IsKnownBeforeTheFirstByteAndIsTheTimeTheSendTakes)
{
    const PlanCase& c = GetParam();
    core->preset(&TerminalState::MUX1, c.multiplex);
    std::optional<DownloadRun::Plan> planned;
    QByteArray sentBeforeTheStart = "none";
    QStringList captions;
    DownloadRun& run = core->download();
    QObject::connect(&run, &DownloadRun::started, [&] {
        planned = run.plan();
        sentBeforeTheStart = clock.writtenBytes();
        captions.append(run.caption());
    });
    QObject::connect(&run, &DownloadRun::progressed, [&] { captions.append(run.caption()); });
    const qint64 start = clock.now();

    download(files.write(c.file));

    ASSERT_TRUE(planned.has_value());
    EXPECT_EQ(planned->lines, c.plan.lines);
    EXPECT_EQ(planned->pacedMs, c.plan.pacedMs);
    EXPECT_EQ(sentBeforeTheStart, "");
    EXPECT_EQ(clock.now() - start, c.plan.pacedMs);
    if (c.plan.pacedMs > 0) {
        EXPECT_EQ(captions.last(), QStringLiteral("100 % \u00b7 0 s left"));
    }
    EXPECT_FALSE(run.running());
    EXPECT_TRUE(prompts.questions.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Files, DownloadPlanTest, ::testing::ValuesIn(planCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The caption beside the line count: the share of the time sent and the time left.
TEST(DownloadCaptionTest, ShowsTheShareSentAndTheTimeLeftRoundedUp)
{
    struct Row {
        qint64 totalMs;
        qint64 sentMs;
        const char* caption;
    };
    const Row rows[] = {
        {300'000, 123'000, "41 % \u00b7 3 min left"},
        {60'000, 59'990, "99 % \u00b7 1 s left"},
        {60'000, 60'000, "100 % \u00b7 0 s left"},
        {90'000, 0, "0 % \u00b7 2 min left"},
        {3'570'000, 0, "0 % \u00b7 1 h 00 min left"},
        {43'200'000, 21'600'000, "50 % \u00b7 6 h 00 min left"},
        {1'000, 2'000, "100 % \u00b7 0 s left"}, // a file that grew after it was measured
    };
    for (const Row& row : rows) {
        DownloadRun run;
        qint64 clock = 0;
        const Pause pause = run.countingPaces([&](int ms) { clock += ms; });
        run.begin({1, row.totalMs});
        for (qint64 sent = 0; sent < row.sentMs; sent += 10)
            pause(10);
        EXPECT_EQ(run.caption(), QString::fromUtf8(row.caption))
            << row.totalMs << " ms, " << row.sentMs << " sent";
    }
}

// Before a send of more than a minute at the pace, the person is asked.
struct QuestionCase {
    const char* name;
    QByteArray file;
    bool multiplex;
    const char* question; // nullptr: none
};

void PrintTo(const QuestionCase& c, std::ostream* os) { *os << c.name; }

QByteArray linesOf(int count, int length)
{
    return QByteArray(QByteArray(length, 'A') + "\n").repeated(count);
}

const QuestionCase questionCases[] = {
    {"JustUnderAMinute", linesOf(4, 749), false, nullptr}, // 59.96 s
    {"ExactlyAMinute", linesOf(1, 3000), true, nullptr},
    {"OneLineJustOver", linesOf(1, 3001), true, "Sending 1 line will take about 00:01:00. Send?"},
    {"ManyLines", linesOf(300, 10), false, "Sending 300 lines will take about 00:01:03. Send?"},
    {"Hours", linesOf(2000, 100), false, "Sending 2000 lines will take about 01:07:00. Send?"},
};

class DownloadQuestionTest : public DownloadFixture,
                             public ::testing::WithParamInterface<QuestionCase> {};

TEST_P(DownloadQuestionTest, ComesBeforeASendOfMoreThanAMinute)
{
    const QuestionCase& c = GetParam();
    core->preset(&TerminalState::MUX1, c.multiplex);
    prompts.sendAnswer = false;
    core->shown().setPanel(1, "Line 7");
    download(files.write(c.file));
    if (!c.question) {
        EXPECT_TRUE(prompts.questions.isEmpty());
        EXPECT_NE(clock.writtenBytes(), "");
        return;
    }
    EXPECT_EQ(prompts.questions, QStringList{c.question});
    EXPECT_EQ(clock.writtenBytes(), "") << "Cancel sends nothing";
    EXPECT_EQ(core->shown().panel(1), "");
    EXPECT_FALSE(core->download().running());
}

INSTANTIATE_TEST_SUITE_P(Files, DownloadQuestionTest, ::testing::ValuesIn(questionCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(DownloadTest, AnsweredSendTheLongFileGoesOutWhole)
{
    const QByteArray file = linesOf(300, 10);
    download(files.write(file));
    EXPECT_EQ(prompts.questions.size(), 1);
    QByteArray wire = file;
    wire.replace('\n', '\r');
    EXPECT_EQ(sent(), wire);
    EXPECT_EQ(core->shown().panel(1), "");
}

// The window: the menu item runs the download, and the status bar draws each count while
// the rest of the window waits for the download to end.
using DownloadWindowTest = WindowFixture;

TEST_F(DownloadWindowTest, TheLineCountIsDrawnWhileTheDownloadRuns)
{
    PtyPeer& module = plug(1);
    showWindow();
    Files files;
    prompts.downloadFile = files.write("AB\nCD\n");

    auto* panel = window->statusPanels()->findChild<QLabel*>(QStringLiteral("Panel1"));
    struct PaintCounter : QObject {
        int paints = 0;
        bool eventFilter(QObject*, QEvent* event) override
        {
            if (event->type() == QEvent::Paint)
                ++paints;
            return false;
        }
    } counter;
    panel->installEventFilter(&counter);
    QStringList drawn; // each count, with whether it had been painted when it was set
    QObject::connect(&core().shown(), &ShownTexts::panelChanged,
                     [&](int index, const QString& text) {
                         if (index == 1)
                             drawn.append(text + (counter.paints > 0 ? " painted" : ""));
                         counter.paints = 0;
                     });

    click("DownloadFile");

    EXPECT_EQ(drawn, (QStringList{"Line 1 painted", "Line 2 painted", " painted"}));
    EXPECT_EQ(hexOf(module.readExactly(6)), hexOf("AB\rCD\r"));
}

} // namespace
