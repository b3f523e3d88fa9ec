// The terminal list with its old lines in the scrollback file looks, copies and fails as a
// person would expect of one with every line in memory.
#include "ListClipboard.h"
#include "ScriptedPrompts.h"
#include "TerminalTexts.h"
#include "TerminalView.h"
#include "TestProfile.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// A terminal and its view; with `spilling`, a budget of nothing moves every full block of
// lines to the scrollback file in a folder of the test's own.
struct ShownTerminal {
    explicit ShownTerminal(const TestProfile& profile, VirtualClock& clock, const QString& folder)
        : core(prompts, profile.platform(clock)), view(core)
    {
        if (!folder.isEmpty()) {
            core.list().scrollback().setBudget(0);
            core.list().scrollback().setFolders({folder});
        }
        view.resize(500, 300);
        view.show();
    }
    ScriptedPrompts prompts;
    TerminalCore core;
    TerminalView view;
};

class ScrollbackViewTest : public ::testing::Test {
protected:
    // The same lines into both: short ones across many blocks, one longer than a block,
    // one with characters beyond Latin-1, and control characters.
    void addLines(TerminalCore& core)
    {
        for (int i = 0; i < 40'000; ++i) {
            core.list().AddtoList(1, QStringLiteral("OK %1").arg(i, 7, 10, QLatin1Char('0')));
            if (i == 20'000)
                core.list().AddtoList(0, QString(150'000, QLatin1Char('L')) + "end");
            if (i == 30'000)
                core.list().AddtoList(0, QStringLiteral("typed \u20ac \t\x01"));
        }
        core.list().publish();
    }
    QImage shot(ShownTerminal& terminal, int topLine, int sideways)
    {
        terminal.view.scrollToTopLine(topLine);
        terminal.view.horizontalScrollBar()->setValue(sideways);
        terminal.view.repaint();
        return terminal.view.viewport()->grab().toImage();
    }

    TestProfile profile;
    VirtualClock clock;
    QTemporaryDir cache;
    ShownTerminal inMemory{profile, clock, QString()};
    ShownTerminal spilled{profile, clock, cache.filePath(QStringLiteral("Serivox"))};
};

TEST_F(ScrollbackViewTest, PaintsAndCopiesAsWithEveryLineInMemory)
{
    addLines(inMemory.core);
    addLines(spilled.core);
    ASSERT_GT(spilled.core.list().scrollback().fileBytes(), 10 * ScrollbackStore::blockSize);
    ASSERT_LE(spilled.core.lines().residentBytes(), 2 * ScrollbackStore::blockSize);

    const struct {
        int topLine;
        int sideways;
    } places[] = {{0, 0}, {19'995, 0}, {20'001, 40'000}, {29'999, 0}, {39'990, 0}};
    for (const auto& place : places)
        EXPECT_EQ(shot(spilled, place.topLine, place.sideways),
                  shot(inMemory, place.topLine, place.sideways))
            << "at line " << place.topLine;

    clipboard::CopyClick(spilled.core);
    const QString copiedSpilled = QApplication::clipboard()->text();
    clipboard::CopyClick(inMemory.core);
    EXPECT_EQ(copiedSpilled.size(), QApplication::clipboard()->text().size());
    EXPECT_TRUE(copiedSpilled == QApplication::clipboard()->text());
}

// A folder that cannot be made (a file is in the way, which binds the superuser too): one
// message naming it and the reason, and every line kept.
TEST_F(ScrollbackViewTest, AFolderThatCannotBeMadeIsToldOnce)
{
    QFile inTheWay(cache.filePath(QStringLiteral("file")));
    ASSERT_TRUE(inTheWay.open(QIODevice::WriteOnly));
    const QString folder = cache.filePath(QStringLiteral("file/Serivox"));
    spilled.core.list().scrollback().setFolders({folder});
    addLines(spilled.core);
    // Shown once the window is free, as the capture file's failures are.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !spilled.prompts.messages.isEmpty(); }, 10000));
    QTest::qWait(50);
    EXPECT_EQ(spilled.prompts.messages, QStringList{texts::unableToWriteScrollback + folder});
    EXPECT_EQ(spilled.prompts.details, QStringList{QStringLiteral("Not a directory")});
    EXPECT_EQ(spilled.core.lines().count(), 40'001);
    EXPECT_EQ(spilled.core.lines().line(39'999), QStringLiteral("OK 0039999"));
}

} // namespace
