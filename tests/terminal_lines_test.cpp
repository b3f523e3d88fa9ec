// The terminal list's storage and model.
#include "TerminalListModel.h"
#include "TerminalState.h"

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

// Received text grows the last line without going through a QString; the widest line, which
// sizes the view's sideways reach, must grow with it whatever kind of line it lands on.
TEST(TerminalLines, ReceivedTextWidensTheWidestLine)
{
    TerminalLines lines;
    lines.appendLatin1ToLast("abc"); // begins the first line
    EXPECT_EQ(lines.widestLine(), 3);
    lines.addLine("x");
    lines.appendLatin1ToLast("12345");
    EXPECT_EQ(lines.widestLine(), 6);
    lines.addLine(QStringLiteral("\u20ac")); // kept 16-bit
    lines.appendLatin1ToLast("1234567");
    EXPECT_EQ(lines.widestLine(), 8);
}

TEST(TerminalLines, ASliceIsThePartOfALineAskedFor)
{
    TerminalLines lines;
    lines.addLine("0123456789");
    lines.addLine(QStringLiteral("ab\u20accdef")); // kept 16-bit
    EXPECT_EQ(lines.slice(0, 3, 4), "3456");
    EXPECT_EQ(lines.slice(0, 8, 100), "89");
    EXPECT_EQ(lines.slice(0, 10, 5), QString());
    EXPECT_EQ(lines.slice(0, -2, 3), "012");
    EXPECT_EQ(lines.slice(1, 1, 3), QStringLiteral("b\u20acc"));
    EXPECT_EQ(lines.slice(2, 0, 5), QString()); // no such line
}

// Lines are stored in blocks of 64 KiB; a line runs across as many as it needs.
TEST(TerminalLines, ALineAcrossManyBlocksReadsBackWhole)
{
    TerminalLines lines;
    QString expected = QStringLiteral("head");
    lines.addLine(expected);
    for (int i = 0; i < 300; ++i) {
        const QString piece(1000, QChar(u'a' + i % 26));
        lines.appendToLast(piece);
        expected += piece;
    }
    lines.addLine("next");
    EXPECT_EQ(lines.line(0), expected);
    EXPECT_EQ(lines.slice(0, 65530, 12), expected.mid(65530, 12));
    EXPECT_EQ(lines.line(1), "next");

    TerminalLines edge; // a backspace at a block's end, then more text
    edge.addLine(QString(65536, QLatin1Char('x')));
    edge.removeLastChar();
    edge.appendToLast("yz");
    EXPECT_EQ(edge.line(0), QString(65535, QLatin1Char('x')) + "yz");
}

TEST(TerminalListModel, TellsViewsOfChangesInOneStep)
{
    const TerminalState state;
    TerminalListModel model(state);
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
