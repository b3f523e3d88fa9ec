// Old lines beyond the memory budget in the scrollback file: every line reads back as it was
// kept, whatever happens to the file.
#include "TerminalLines.h"

#include "FileSizeLimit.h"
#include "RerunTest.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <vector>

namespace {

constexpr qint64 block = ScrollbackStore::blockSize;

// The lines under test beside the same lines in a plain list. The budget is nothing: every
// full block leaves memory as soon as it can.
class ScrollbackTest : public ::testing::Test {
public:
    ScrollbackTest()
    {
        store().setBudget(0);
        store().setFolders({folder()});
        store().setClock([this] { return now; });
        store().setFailureListener([this](const QString& where, const QString& reason) {
            failures.append(where + ": " + reason);
        });
    }

    ScrollbackStore& store() { return lines.scrollback(); }
    QString folder() const { return dir.filePath(QStringLiteral("cache")); }

    void add(const QString& text)
    {
        lines.addLine(text);
        expected.append(text);
    }
    void receive(const QByteArray& latin1)
    {
        lines.appendLatin1ToLast(latin1);
        expected.last() += QString::fromLatin1(latin1);
    }
    void backspace()
    {
        lines.removeLastChar();
        expected.last().chop(1);
    }
    // Lines of 1 to 20 characters, `bytes` of them in all.
    void addShortLines(qint64 bytes)
    {
        for (int i = 0; bytes > 0; ++i) {
            add(QStringLiteral("n%1:").arg(expected.size()));
            receive(QByteArray(i % 17, char('a' + i % 26)));
            bytes -= expected.last().size();
        }
    }
    void clear()
    {
        lines.clear();
        expected.clear();
    }

    // With a file that fails: one message naming the folder and the reason, every line kept
    // in memory beyond the budget, and the file tried again each minute, no sooner.
    void failAndRecover(const char* reason, qint64 fileBytesBeforeFailing,
                        const std::function<void()>& repair)
    {
        addShortLines(3 * block);
        now += ScrollbackStore::retryMilliseconds; // tried again, and failing again
        addShortLines(block);
        ASSERT_EQ(failures.size(), 1) << failures.join('\n').toStdString();
        EXPECT_TRUE(failures[0].startsWith(folder() + ": " + reason)) << failures[0].toStdString();
        EXPECT_EQ(store().fileBytes(), fileBytesBeforeFailing);
        EXPECT_GT(lines.residentBytes(), 3 * block - fileBytesBeforeFailing);
        expectSameLines();
        repair();
        now += ScrollbackStore::retryMilliseconds - 1;
        addShortLines(block / 4);
        EXPECT_EQ(store().fileBytes(), fileBytesBeforeFailing);
        now += 1; // a minute since the last try: everything beyond the budget moves now
        addShortLines(block / 4);
        EXPECT_EQ(failures.size(), 1);
    }

    void expectSameLines() const
    {
        ASSERT_EQ(lines.count(), expected.size());
        for (int i = 0; i < expected.size(); ++i) {
            ASSERT_EQ(lines.line(i), expected[i]) << "line " << i;
            ASSERT_EQ(lines.lineLength(i), expected[i].size()) << "line " << i;
        }
    }

    QTemporaryDir dir;
    TerminalLines lines;
    QStringList expected;
    qint64 now = 0;
    QStringList failures;
};

struct StorageCase {
    const char* name;
    std::function<void(ScrollbackTest&)> run;
    bool needsAnOrdinaryUser = false; // file permissions do not bind the superuser
};

void PrintTo(const StorageCase& c, std::ostream* os) { *os << c.name; }

class StorageTest : public ScrollbackTest, public ::testing::WithParamInterface<StorageCase> {};

// Each case ends with a file that works: then every line reads back as it was kept, and
// memory holds no more than the blocks still being filled.
TEST_P(StorageTest, EveryLineReadsBackAsKept)
{
    if (GetParam().needsAnOrdinaryUser && rerunAsNobody())
        return;
    GetParam().run(*this);
    expectSameLines();
    EXPECT_GT(store().fileBytes(), 0);
    EXPECT_LE(lines.residentBytes(), 2 * block);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StorageTest,
    ::testing::Values(StorageCase{"LinesCrossBlocks",
                                  [](ScrollbackTest& t) { t.addShortLines(5 * block); }},
                      StorageCase{"ALineLongerThanABlock",
                                  [](ScrollbackTest& t) {
                                      t.addShortLines(block / 2);
                                      t.add("long:");
                                      for (int i = 0; i < 40; ++i)
                                          t.receive(QByteArray(5000, char('A' + i % 26)));
                                      // Backspaces back into blocks already in the file, then more
                                      // text.
                                      for (int i = 0; i < 70'000; ++i)
                                          t.backspace();
                                      t.receive("tail");
                                      t.addShortLines(2 * block);
                                  }},
                      StorageCase{"ALineTurnsWide",
                                  [](ScrollbackTest& t) {
                                      t.addShortLines(2 * block);
                                      t.lines.appendToLast(QStringLiteral("\u20ac"));
                                      t.expected.last() += QStringLiteral("\u20ac");
                                      t.add(QStringLiteral("typed \u00e9\u20ac"));
                                      t.addShortLines(2 * block);
                                  }},
                      StorageCase{"ClearEmptiesTheFile",
                                  [](ScrollbackTest& t) {
                                      t.addShortLines(4 * block);
                                      ASSERT_GE(t.store().fileBytes(), 4 * block);
                                      t.clear();
                                      EXPECT_EQ(t.store().fileBytes(), 0);
                                      EXPECT_EQ(t.lines.count(), 0);
                                      t.addShortLines(3 * block);
                                  }},
                      // The folder cannot take a file.
                      StorageCase{"AFileThatCannotBeMade",
                                  [](ScrollbackTest& t) {
                                      ASSERT_TRUE(QDir().mkpath(t.folder()));
                                      const QByteArray folder = QFile::encodeName(t.folder());
                                      ::chmod(folder.constData(), 0500);
                                      t.failAndRecover("Permission denied", 0,
                                                       [&] { ::chmod(folder.constData(), 0700); });
                                  },
                                  true},
                      // The disk fills part way (a limit on the size of files stands for it).
                      StorageCase{"ADiskThatFills",
                                  [](ScrollbackTest& t) {
                                      FileSizeLimit limit(3 * block + block / 2);
                                      // Whole blocks only: what part of one fitted is given back.
                                      t.failAndRecover("File too large", 3 * block,
                                                       [&] { limit.set(RLIM_INFINITY); });
                                  }}),
    [](const auto& info) { return std::string(info.param.name); });

// Nothing is written while the lines fit in the budget, and no file is made for them.
TEST_F(ScrollbackTest, LinesWithinTheBudgetStayInMemory)
{
    store().setBudget(16 * block);
    addShortLines(4 * block);
    expectSameLines();
    EXPECT_EQ(store().fileBytes(), 0);
    EXPECT_TRUE(QDir(folder()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
}

// The open files whose path starts with `folder`, as the system shows them.
std::vector<struct stat> openFilesIn(const QString& folder)
{
    std::vector<struct stat> files;
    const QDir fds(QStringLiteral("/proc/self/fd"));
    for (const QString& fd :
         fds.entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::System)) {
        struct stat opened {};
        if (QFile::symLinkTarget(fds.filePath(fd)).startsWith(folder + '/') &&
            ::fstat(fd.toInt(), &opened) == 0)
            files.push_back(opened);
    }
    return files;
}

// The file leaves no name behind, even with a umask that lets everyone in, is its owner's
// only, and is never shared: another list gets a file of its own.
TEST_F(ScrollbackTest, TheFileIsPrivateNamelessAndOfOneListOnly)
{
    const mode_t umaskBefore = ::umask(0);
    addShortLines(2 * block);
    TerminalLines other;
    other.scrollback().setBudget(0);
    other.scrollback().setFolders({folder()});
    for (int i = 0; i < 20'000; ++i)
        other.addLine(QStringLiteral("other %1").arg(i));
    ::umask(umaskBefore);

    EXPECT_TRUE(QDir(folder()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
    const std::vector<struct stat> files = openFilesIn(QDir(folder()).canonicalPath());
    ASSERT_EQ(files.size(), 2u);
    for (const struct stat& file : files) {
        EXPECT_EQ(file.st_mode & 07777, 0600u);
        EXPECT_EQ(file.st_nlink, 0u);
        EXPECT_TRUE(S_ISREG(file.st_mode));
    }
    EXPECT_NE(files[0].st_ino, files[1].st_ino);
    expectSameLines();
    EXPECT_EQ(other.line(19'999), "other 19999");
}

} // namespace
