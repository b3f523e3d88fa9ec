// The terminal list's storage and model.
#include "TerminalListModel.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

TEST(TerminalLines, KeepsNarrowAndWideLinesApart)
{
    TerminalLines lines;
    lines.addLine("abc");
    lines.appendToLast(QString(QChar(0xE9)));
    lines.addLine("x");
    lines.appendToLast(QString(QChar(0x20AC))); // the last line turns 16-bit
    lines.appendToLast("y");
    lines.removeLastChar();
    lines.addLine("");
    lines.removeLastChar(); // an empty line stays empty
    lines.appendToLast("z");
    ASSERT_EQ(lines.count(), 3);
    EXPECT_EQ(lines.line(0), QStringLiteral("abc") + QChar(0xE9));
    EXPECT_EQ(lines.line(1), QStringLiteral("x") + QChar(0x20AC));
    EXPECT_EQ(lines.line(2), "z");
    EXPECT_EQ(lines.widestLine(), 4);
    lines.clear();
    EXPECT_TRUE(lines.isEmpty());
    EXPECT_EQ(lines.line(0), QString());
}

TEST(TerminalListModel, TellsViewsOfChangesInOneStep)
{
    TerminalListModel model;
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    model.addLine("a");
    model.appendToLast("b");
    model.addLine("c");
    EXPECT_EQ(model.rowCount(), 0); // not published yet
    model.publish();
    EXPECT_EQ(model.rowCount(), 2);
    EXPECT_EQ(inserted.count(), 1);
    model.appendToLast("d");
    model.publish();
    model.publish();
    EXPECT_EQ(model.data(model.index(1), Qt::DisplayRole).toString(), "cd");
    EXPECT_GE(changed.count(), 1);
    model.clear();
    EXPECT_EQ(model.rowCount(), 0);
}

TEST(TerminalLines, AMillionLinesStayCompact)
{
    TerminalLines lines;
    for (int i = 0; i < 1'000'000; ++i) {
        lines.addLine("RX<= ");
        lines.appendToLast("OK 00:07:80:12:34:56");
    }
    EXPECT_EQ(lines.count(), 1'000'000);
    EXPECT_EQ(lines.line(999'999), "RX<= OK 00:07:80:12:34:56");
}

} // namespace
