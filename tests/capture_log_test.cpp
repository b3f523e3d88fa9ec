// The capture log: what reaches the file, how the capture starts and stops, and what a
// failing file does (and does not do) to the terminal.
#include "CoreFixture.h"

#include "CaptureLog.h"
#include "QtPrinters.h"
#include "RerunTest.h"
#include "TerminalTexts.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <unistd.h>
#include <utility>

namespace {

QByteArray contentOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void writeFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(content);
}

// A terminal core whose clock the test sets, and a folder for capture files.
class CaptureTest : public CoreFixture {
protected:
    void SetUp() override
    {
        TerminalPlatform platform = profile.platform(clock);
        platform.now = [this] { return std::exchange(now, now.addMSecs(clockStepMs)); };
        core = std::make_unique<TerminalCore>(prompts, platform);
    }

public:
    // Log on, choosing `path` in the dialog.
    void startLog(const QString& path)
    {
        prompts.logFileDialog = [path](const QString&, const QString&) {
            return UserPrompts::LogFileAnswer{true, path, QFileInfo(path).absolutePath()};
        };
        core->capture().Log1Click();
        prompts.logFileDialog = nullptr;
    }

    QString inFolder(const QString& name) const { return QDir(folder.path()).filePath(name); }

    // Messages that wait for the receive tick to return are shown.
    static void afterTicks() { QCoreApplication::processEvents(); }

    QDateTime now{QDate(2026, 12, 9), QTime(12, 0, 0)};
    qint64 clockStepMs = 0; // how far the clock moves on each reading
    QTemporaryDir folder;
};

struct RecordCase {
    const char* name;
    QByteArray bytes;
    bool timestamp = false;
    bool datestamp = false;
    bool hex = false;
    bool unreadable = false;
    QByteArray file;
    QStringList lines;
};

void PrintTo(const RecordCase& c, std::ostream* os) { *os << c.name; }

class CaptureRecordTest : public CaptureTest, public ::testing::WithParamInterface<RecordCase> {};

// A pass record per byte, a line record per finished line, each ended by CR LF; on screen
// every byte carries its stamps, and the line record is stamped once more.
TEST_P(CaptureRecordTest, FileHoldsPassAndLineRecords)
{
    const RecordCase& c = GetParam();
    startOn(1);
    core->preset(&TerminalState::Timestamp1, c.timestamp);
    core->preset(&TerminalState::DateStamp1, c.datestamp);
    core->preset(&TerminalState::HexMode, c.hex);
    core->preset(&TerminalState::Unreadable1, c.unreadable);
    startLog(inFolder("capture.csv"));
    receive(c.bytes);
    EXPECT_EQ(contentOf(inFolder("capture.csv")), c.file);
    EXPECT_EQ(lines(), c.lines);
    EXPECT_EQ(core->shown().panel(3), c.timestamp ? QString("12:00:00") : texts::panelBlank);
}

INSTANTIATE_TEST_SUITE_P(
    Records, CaptureRecordTest,
    ::testing::Values(RecordCase{.name = "okLineWithoutStamps",
                                 .bytes = "OK\r\n",
                                 .file = "O\r\nK\r\n\r\nOK\r\n\r\n",
                                 .lines = {"OK", ""}},
                      RecordCase{.name = "okLineWithTimestamp",
                                 .bytes = "OK\r\n",
                                 .timestamp = true,
                                 .file = "12:00:00,O\r\n12:00:00,K\r\n12:00:00,\r\n"
                                         "12:00:00,12:00:00,O12:00:00,K12:00:00,\r\n12:00:00,\r\n",
                                 .lines = {"12:00:00,O12:00:00,K12:00:00,", "12:00:00,"}},
                      RecordCase{.name = "dateComesBeforeTime",
                                 .bytes = "A",
                                 .timestamp = true,
                                 .datestamp = true,
                                 .file = "09-12-2026,12:00:00,A\r\n",
                                 .lines = {"09-12-2026,12:00:00,A"}},
                      RecordCase{.name = "dateAlone",
                                 .bytes = "A",
                                 .datestamp = true,
                                 .file = "09-12-2026,A\r\n",
                                 .lines = {"09-12-2026,A"}},
                      RecordCase{.name = "commasAndCodesAsShown",
                                 .bytes = "a,\xBF\r",
                                 .file = "a\r\n,\r\n<BF>\r\n\r\na,<BF>\r\n",
                                 .lines = {"a,<BF>", ""}},
                      RecordCase{.name = "hexDigitsAsShown",
                                 .bytes = "O\r",
                                 .hex = true,
                                 .file = "4F \r\n0D \r\n4F 0D \r\n",
                                 .lines = {"4F 0D ", ""}},
                      RecordCase{.name = "charactersAboveAsciiInUtf8",
                                 .bytes = "\xE9\r",
                                 .unreadable = true,
                                 .file = "\xC3\xA9\r\n\r\n\xC3\xA9\r\n",
                                 .lines = {QString(QChar(0xE9)), ""}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CaptureTest, StampsWaitForTheLog)
{
    startOn(1);
    core->preset(&TerminalState::Timestamp1, true);
    core->preset(&TerminalState::DateStamp1, true);
    receive("A");
    EXPECT_EQ(lines(), QStringList{"A"});
    EXPECT_EQ(core->shown().panel(3), texts::panelBlank);
    EXPECT_TRUE(QDir(folder.path()).isEmpty());
}

TEST_F(CaptureTest, DateAndTimeOfAStampAreOneMoment)
{
    startOn(1);
    core->preset(&TerminalState::Timestamp1, true);
    core->preset(&TerminalState::DateStamp1, true);
    startLog(inFolder("midnight.csv"));
    now = QDateTime(QDate(2026, 12, 9), QTime(23, 59, 59, 999));
    clockStepMs = 1;
    receive("A");
    EXPECT_EQ(contentOf(inFolder("midnight.csv")), "09-12-2026,23:59:59,A\r\n");
}

TEST_F(CaptureTest, AppendsToTheChosenFileAndStoppingLeavesItAlone)
{
    startOn(1);
    const QString path = inFolder("session.csv");
    writeFile(path, "earlier\r\n");

    startLog(path);
    EXPECT_TRUE(core->state().Log1);
    EXPECT_EQ(core->shown().panel(4), "=>" + path);
    EXPECT_EQ(contentOf(path), "earlier\r\n");
    receive("A");
    EXPECT_EQ(contentOf(path), "earlier\r\nA\r\n");

    core->capture().Log1Click();
    EXPECT_FALSE(core->state().Log1);
    EXPECT_EQ(core->shown().panel(4), " ");
    receive("B");
    EXPECT_EQ(contentOf(path), "earlier\r\nA\r\n");

    // The dialog opens where the last capture went; the same file is appended to again.
    startLog(path);
    ASSERT_FALSE(prompts.logDialogs.isEmpty()) << "Log asked for no file";
    EXPECT_EQ(prompts.logDialogs.last().directory, folder.path());
    receive("C");
    EXPECT_EQ(contentOf(path), "earlier\r\nA\r\nC\r\n");

    core->capture().Log1Click();
    const QString fresh = inFolder("fresh.csv");
    startLog(fresh);
    EXPECT_TRUE(QFileInfo::exists(fresh));
    EXPECT_EQ(contentOf(fresh), "");
    EXPECT_TRUE(prompts.messages.isEmpty());
}

struct NameCase {
    const char* name;
    QDateTime at;
    const char* proposed;
};

void PrintTo(const NameCase& c, std::ostream* os) { *os << c.name; }

class ProposedNameTest : public CaptureTest, public ::testing::WithParamInterface<NameCase> {};

TEST_P(ProposedNameTest, DialogProposesDateAndTime)
{
    now = GetParam().at;
    core->capture().Log1Click();
    ASSERT_EQ(prompts.logDialogs.size(), 1);
    EXPECT_EQ(prompts.logDialogs.last().proposedName, GetParam().proposed);
}

INSTANTIATE_TEST_SUITE_P(
    Names, ProposedNameTest,
    ::testing::Values(
        NameCase{"afternoon", QDateTime(QDate(2027, 1, 1), QTime(14, 7)), "01Jan2027-14h07.csv"},
        NameCase{"midnight", QDateTime(QDate(2026, 12, 31), QTime(0, 0)), "31Dec2026-0h00.csv"},
        NameCase{"morning", QDateTime(QDate(2026, 3, 3), QTime(9, 5)), "03Mar2026-9h05.csv"}),
    [](const auto& info) { return std::string(info.param.name); });

// While the dialog is open the receive loop keeps running; a byte that arrives, or a dialog
// left open for 3000 ticks, starts the capture even when the dialog is then cancelled.
struct CountdownCase {
    const char* name;
    bool byteWhileOpen;
    int idleTicks;
    bool starts;
};

void PrintTo(const CountdownCase& c, std::ostream* os) { *os << c.name; }

class CountdownTest : public CaptureTest, public ::testing::WithParamInterface<CountdownCase> {};

TEST_P(CountdownTest, CancelStartsTheCaptureOnlyWhenTheCountdownRanOut)
{
    const CountdownCase& c = GetParam();
    if (c.byteWhileOpen)
        startOn(1);
    core->shown().setPanel(4, "before");
    prompts.logFileDialog = [&](const QString&, const QString&) {
        if (c.byteWhileOpen)
            receive("x");
        tick(c.idleTicks);
        // The person went to another folder, then cancelled.
        return UserPrompts::LogFileAnswer{false, QString(), folder.path()};
    };
    core->capture().Log1Click();

    const QString expectedFile = inFolder("09Dec2026-12h00.csv");
    EXPECT_EQ(core->state().Log1, c.starts);
    EXPECT_EQ(QFileInfo::exists(expectedFile), c.starts);
    EXPECT_EQ(core->shown().panel(4), c.starts ? "=>" + expectedFile : QString("before"));
    if (c.byteWhileOpen) {
        // Log was off while the dialog was open; later bytes go to the file.
        receive("y\r");
        EXPECT_EQ(contentOf(expectedFile), "y\r\n\r\nxy\r\n");
    }
}

INSTANTIATE_TEST_SUITE_P(Countdown, CountdownTest,
                         ::testing::Values(CountdownCase{"cancelledAtOnce", false, 0, false},
                                           CountdownCase{"byteArrived", true, 0, true},
                                           CountdownCase{"oneTickShort", false, 2999, false},
                                           CountdownCase{"countdownRanOut", false, 3000, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(CaptureTest, AFileThatCannotBeMadeLeavesLogOff)
{
    startOn(1);
    core->shown().setPanel(4, "before");
    const QString path = inFolder("missing folder/capture.csv");
    startLog(path);
    EXPECT_FALSE(core->state().Log1);
    EXPECT_EQ(core->shown().panel(4), "before");
    EXPECT_EQ(prompts.messages, QStringList{"Unable to Open Log File " + path});
    EXPECT_FALSE(prompts.details.value(0).isEmpty()); // the reason
}

// A file that cannot be written never costs the terminal a byte: every byte is shown, one
// message names the file and the reason, and Log stays on.
struct FailureCase {
    const char* name;
    std::function<QString(CaptureTest&)> breakFile; // returns the capture file
    const char* reason;                             // part of the message's detail
};

void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }

class WriteFailureTest : public CaptureTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(WriteFailureTest, EveryByteIsShownAndOneMessageTold)
{
    // File permissions do not bind the superuser.
    if (std::string(GetParam().name) == "readOnlyFile" && rerunAsNobody())
        return;
    PtyPeer& module = startOn(1);
    const QString path = GetParam().breakFile(*this);

    QStringList expected;
    for (int i = 0; i < 20; ++i) {
        module.send(QByteArray("line ") + QByteArray::number(i) + '\r');
        expected.append(QStringLiteral("line %1").arg(i));
        ASSERT_TRUE(tickUntil([&] { return lines().size() == i + 2; }));
        afterTicks();
    }
    expected.append("");
    EXPECT_EQ(lines(), expected);
    EXPECT_TRUE(core->state().Log1);
    EXPECT_EQ(prompts.messages, QStringList{"Unable to Write Log File " + path});
    ASSERT_EQ(prompts.details.size(), 1);
    EXPECT_TRUE(prompts.details.first().contains(GetParam().reason, Qt::CaseInsensitive))
        << prompts.details.first().toStdString();
}

INSTANTIATE_TEST_SUITE_P(Failures, WriteFailureTest,
                         ::testing::Values(FailureCase{"fullDevice",
                                                       [](CaptureTest& t) {
                                                           t.startLog("/dev/full");
                                                           return QString("/dev/full");
                                                       },
                                                       "space"},
                                           FailureCase{"deletedFile",
                                                       [](CaptureTest& t) {
                                                           const QString path =
                                                               t.inFolder("gone.csv");
                                                           t.startLog(path);
                                                           QFile::remove(path);
                                                           return path;
                                                       },
                                                       "no longer exists"},
                                           FailureCase{"readOnlyFile",
                                                       [](CaptureTest& t) {
                                                           const QString path =
                                                               t.inFolder("locked.csv");
                                                           t.startLog(path);
                                                           QFile::setPermissions(path,
                                                                                 QFile::ReadOwner);
                                                           return path;
                                                       },
                                                       "denied"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(CaptureTest, ADeletedFileIsNotMadeAgainAndEachFailureEpisodeIsTold)
{
    startOn(1);
    const QString path = inFolder("gone.csv");
    startLog(path);
    const QString elsewhere = inFolder("elsewhere.csv");
    ASSERT_TRUE(QFile::rename(path, elsewhere));
    receive("a\r");
    afterTicks();
    receive("b\r");
    afterTicks();
    EXPECT_FALSE(QFileInfo::exists(path));
    EXPECT_EQ(prompts.messages.size(), 1);
    EXPECT_EQ(prompts.details, QStringList{texts::logFileGone});

    // The same file comes back: writes succeed again, and once they have gone well for a
    // while, the next failure is told again.
    ASSERT_TRUE(QFile::rename(elsewhere, path));
    receive("c\r");
    tick(CaptureLog::ticksEndingASpell);
    receive("e\r");
    afterTicks();
    EXPECT_EQ(contentOf(path), "c\r\n\r\nc\r\ne\r\n\r\ne\r\n");
    QFile::remove(path);
    receive("d\r");
    afterTicks();
    EXPECT_EQ(prompts.messages.size(), 2);
    EXPECT_EQ(lines(), (QStringList{"a", "b", "c", "e", "d", ""}));
}

} // namespace
