// The terminal list on screen: what a row draws, how far the view reaches sideways, and
// that a line of any length costs the same to grow and to paint.
#include "ProcessMemory.h"
#include "QtPrinters.h"
#include "RowInk.h"
#include "TerminalRowDelegate.h"
#include "TerminalView.h"
#include "WindowFixture.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QFile>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>
#include <cstdlib>
#include <utility>
#include <vector>

namespace {

// Pixels of the area that stand out from the row's background: the ink of what is drawn.
int inkIn(const QImage& shot, const QRect& area)
{
    const QRect inside = area & shot.rect();
    if (inside.isEmpty())
        return 0;
    const QColor background = shot.pixelColor(0, inside.top()); // the row's left margin
    int ink = 0;
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x) {
            const QColor c = shot.pixelColor(x, y);
            const int difference = std::abs(c.red() - background.red()) +
                                   std::abs(c.green() - background.green()) +
                                   std::abs(c.blue() - background.blue());
            ink += difference > 96;
        }
    return ink;
}

class TerminalViewTest : public WindowFixture {
protected:
    QAbstractItemView* list() const { return control<QAbstractItemView>("ListBox1"); }
    void waitForRows(int rows)
    {
        ASSERT_TRUE(QTest::qWaitFor([&] { return list()->model()->rowCount() == rows; }, 10000));
        QTest::qWait(20); // the view paints what was published
    }
    // Where column `column` of row `row` is in the viewport.
    QRect cell(int row, qint64 column) const
    {
        const int width = TerminalRowDelegate::cellWidth(list()->font());
        const QRect rowRect = list()->visualRect(list()->model()->index(row, 0));
        return {int(rowRect.left() + TerminalRowDelegate::textMargin + column * width),
                rowRect.top(), width, rowRect.height()};
    }
    QImage shot() const { return list()->viewport()->grab().toImage(); }
    // What the screen shows of the list: the pixels painted so far, not a fresh paint.
    QImage onScreen() const
    {
        QWidget* viewport = list()->viewport();
        const QRect area(viewport->mapTo(window.get(), QPoint(0, 0)), viewport->size());
        return window->screen()
            ->grabWindow(window->winId(), area.x(), area.y(), area.width(), area.height())
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    }
    bool showsAFreshPaint() const
    {
        return onScreen() == shot().convertToFormat(QImage::Format_RGB32);
    }
};

TEST_F(TerminalViewTest, ARowShowsEverythingItHoldsOnOneLine)
{
    PtyPeer& module = plug(1);
    showWindow();
    // ESC takes the three bytes after it, CR and LF included, into the row.
    module.send("four\x1b"
                "8\r\nfive six seven\r");
    waitForRows(2);
    const QString held = QStringLiteral("four\x1b"
                                        "8\r\nfive six seven");
    EXPECT_EQ(core().lines().line(0), held); // kept as received, for copying and capture

    const QImage image = shot();
    for (qint64 column = 0; column < held.size(); ++column) {
        if (held[column] != QLatin1Char(' ')) {
            EXPECT_GT(inkIn(image, cell(0, column)), 0) << "nothing drawn in column " << column;
        }
    }
    EXPECT_EQ(inkIn(image, cell(0, held.size())), 0);
}

TEST_F(TerminalViewTest, AWideLineIsReachedSideways)
{
    PtyPeer& module = plug(1);
    showWindow();
    module.send(QByteArray(409, ' ') + "#\r");
    waitForRows(2);
    QScrollBar* sideways = list()->horizontalScrollBar();
    ASSERT_TRUE(sideways->isVisible());
    EXPECT_EQ(inkIn(shot(), cell(0, 0).united(cell(0, 408))), 0);

    sideways->setValue(sideways->maximum());
    const QRect last = cell(0, 409);
    EXPECT_TRUE(list()->viewport()->rect().contains(last));
    EXPECT_GT(inkIn(shot(), last), 0);

    // New lines arriving leave the view where the user put it.
    module.send("more\r");
    waitForRows(3);
    EXPECT_EQ(sideways->value(), sideways->maximum());

    // Shift turns the wheel sideways.
    sideways->setValue(0);
    const QPointF at(list()->viewport()->rect().center());
    QWheelEvent wheelDown(at, list()->viewport()->mapToGlobal(at), QPoint(), QPoint(0, -120),
                          Qt::NoButton, Qt::ShiftModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(list()->viewport(), &wheelDown);
    EXPECT_GT(sideways->value(), 0);
    EXPECT_LT(sideways->value(), list()->viewport()->width() / 2); // a few characters a notch
    EXPECT_EQ(list()->verticalScrollBar()->value(), 0);
}

// A line that is still arriving widens the view's reach as it grows, before its line end.
TEST_F(TerminalViewTest, ALineStillArrivingIsReachedSideways)
{
    PtyPeer& module = plug(1);
    showWindow();
    module.send(QByteArray(409, ' ') + "#");
    const auto shown = [&] { return list()->model()->index(0, 0).data().toString(); };
    ASSERT_TRUE(QTest::qWaitFor([&] { return shown().size() == 410; }, 10000));
    QTest::qWait(20); // the view paints what was published
    QScrollBar* sideways = list()->horizontalScrollBar();
    sideways->setValue(sideways->maximum());
    const QRect last = cell(0, 409);
    EXPECT_TRUE(list()->viewport()->rect().contains(last))
        << "the view reaches " << sideways->maximum() << " pixels sideways";
    EXPECT_GT(inkIn(shot(), last), 0);
}

// What a row draws for what its line holds: control characters as symbols, one for each.
TEST(TerminalRowText, ShowsControlCharactersAsSymbols)
{
    const struct {
        QString held;
        QString shown;
    } cases[] = {
        {QStringLiteral("four\x1b"
                        "8\r\nfive"),
         QStringLiteral("four\u241b8\u240d\u240afive")},
        {QString(QChar(0)) + QStringLiteral("\t\x1f\x7f"),
         QStringLiteral("\u2400\u2409\u241f\u2421")},
        {QStringLiteral("<BF>\u00bf\u00e9 ~\u20ac"), QStringLiteral("<BF>\u00bf\u00e9 ~\u20ac")},
        {QStringLiteral("\u0080\u009f"), QStringLiteral("\ufffd\ufffd")},
        {QStringLiteral("a\u00a0b"), QStringLiteral("a\u00a0b")}, // a no-break space is printable
    };
    for (const auto& c : cases)
        EXPECT_EQ(TerminalRowDelegate::shownText(c.held), c.shown) << c.held.toStdString();
}

// A row holds a line as wide as it is; past what a header can take, it stops growing rather
// than wrapping round to a negative width.
struct RowWidthCase {
    qint64 characters;
    int cellWidth;
    int expected;
};

class RowWidth : public ::testing::TestWithParam<RowWidthCase> {};

TEST_P(RowWidth, GrowsWithTheLineAndStopsAtTheLargestWidth)
{
    const RowWidthCase c = GetParam();
    EXPECT_EQ(TerminalRowDelegate::rowWidth(c.characters, c.cellWidth), c.expected);
}

constexpr int margins = 2 * TerminalRowDelegate::textMargin;
constexpr int largest = TerminalRowDelegate::maximumRowWidth;
INSTANTIATE_TEST_SUITE_P(
    Lines, RowWidth,
    ::testing::Values(RowWidthCase{0, 7, 7 + margins}, RowWidthCase{410, 7, 411 * 7 + margins},
                      RowWidthCase{268'435'456, 8, largest}, RowWidthCase{300'000'000, 7, largest},
                      RowWidthCase{std::numeric_limits<qint64>::max(), 7, largest}));

// Which columns of a line fall inside the view, wherever the view has been scrolled to.
struct ColumnsCase {
    const char* name;
    qint64 textLeft;
    int visibleLeft;
    int visibleRight;
    qint64 lineLength;
    qint64 first;
    qint64 count;
};

class ColumnsInView : public ::testing::TestWithParam<ColumnsCase> {};

TEST_P(ColumnsInView, AreTheOnesUnderTheView)
{
    const ColumnsCase c = GetParam();
    const auto columns = TerminalRowDelegate::columnsInView(c.textLeft, c.visibleLeft,
                                                            c.visibleRight, 7, c.lineLength);
    EXPECT_EQ(columns.first, c.first);
    EXPECT_EQ(columns.count, c.count);
}

INSTANTIATE_TEST_SUITE_P(
    Views, ColumnsInView,
    ::testing::Values(
        ColumnsCase{"ShortLine", 2, 0, 699, 10, 0, 10},
        ColumnsCase{"LongLineAtTheStart", 2, 0, 699, 100'000'000, 0, 100},
        ColumnsCase{"ScrolledHalfACellIn", -4, 0, 699, 1000, 0, 101},
        ColumnsCase{"ScrolledFarRight", -1'000'000'002, 0, 699, 200'000'000, 142'857'143, 101},
        ColumnsCase{"EndOfTheLine", -1'000'000'002, 0, 699, 142'857'150, 142'857'143, 7},
        ColumnsCase{"LineEndsLeftOfTheView", -1'000'000'002, 0, 699, 1000, 0, 0}),
    [](const auto& info) { return std::string(info.param.name); });

// A copy of a long line, as text for a paint or as a buffer grown anew, would show in the
// process's peak memory: 64 MiB for the 32 M characters here.
TEST(TerminalViewLongLine, GrowingAndPaintingALongLineCopiesNoneOfIt)
{
    TestProfile profile;
    VirtualClock clock;
    ScriptedPrompts prompts;
    TerminalCore core(prompts, profile.platform(clock));
    TerminalView view(core);
    view.resize(600, 300);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    const QString megabyte(1 << 20, QLatin1Char('x'));
    const qint64 length = 32 * megabyte.size();
    for (int i = 0; i < 32; ++i)
        core.list().AddtoList(0, megabyte);
    core.list().publish();
    view.repaint();

    processMemory::resetPeak();
    const qint64 before = processMemory::residentKiB();
    for (int tick = 0; tick < 10; ++tick) {
        core.list().AddtoList(0, QStringLiteral("tail"));
        core.list().publish();
        view.repaint();
    }
    const qint64 grown = processMemory::peakKiB() - before;
    EXPECT_LT(grown, 8 * 1024) << "KiB";
    EXPECT_EQ(core.lines().lineLength(0), length + 40);
    // The last bytes, whole; a slice reaching past the end stops there.
    EXPECT_EQ(core.lines().slice(0, length - 1, 100),
              QStringLiteral("x") + QStringLiteral("tail").repeated(10));
}

// A terminal list of many lines, shown in a view of its own.
class ManyLinesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        view.resize(600, 13 * 20 + 2 * view.frameWidth());
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    }
    void addLines(int count)
    {
        for (int i = 0; i < count; ++i)
            core.list().AddtoList(1, QStringLiteral("OK %1").arg(i, 7, 10, QLatin1Char('0')));
        core.list().publish();
    }
    QModelIndex row(int i) const { return view.model()->index(i, 0); }

    TestProfile profile;
    VirtualClock clock;
    ScriptedPrompts prompts;
    TerminalCore core{prompts, profile.platform(clock)};
    TerminalView view{core};
};

// Every line is kept, and a line costs at most 16 bytes beyond its text, view included.
TEST_F(ManyLinesTest, ALineCostsLittleMoreThanItsText)
{
    if (!processMemory::isMeaningful)
        GTEST_SKIP() << "memory figures mean nothing under AddressSanitizer";
    const int count = 1'000'000;
    const qint64 text = qint64(count) * 10;
    const qint64 before = processMemory::residentKiB();
    addLines(count);
    view.scrollToTopLine(count - 1);
    view.repaint();
    const qint64 grownBytes = (processMemory::residentKiB() - before) * 1024;
    EXPECT_EQ(view.model()->rowCount(), count + 1);
    EXPECT_LE(grownBytes, text + 16 * qint64(count))
        << (grownBytes - text) / count << " bytes a line beyond the text";
}

// An 8-bit character is drawn as the font's own character map would have it drawn: a line of
// them looks the same as the same line with a character beyond 8 bits at its end, drawn
// through the font. Every one of the 256 is drawn, control pictures included.
TEST_F(ManyLinesTest, EightBitCharactersLookAsTheFontMapsThem)
{
    constexpr int perLine = 64;
    for (int from = 0; from < 256; from += perLine) {
        QString eightBit;
        for (int c = from; c < from + perLine; ++c)
            eightBit += QChar(char16_t(c));
        core.list().AddtoList(1, eightBit);
        core.list().AddtoList(1, eightBit + QStringLiteral(" \u263A"));
    }
    core.list().publish();
    view.scrollToTopLine(0);
    const QImage shot = view.viewport()->grab().toImage();
    const int width =
        TerminalRowDelegate::textMargin + perLine * TerminalRowDelegate::cellWidth(view.font());
    ASSERT_LE(width, shot.width());
    for (int line = 0; line < 8; line += 2) {
        const QRect eightBit = view.visualRect(row(line));
        const QRect throughTheFont = view.visualRect(row(line + 1));
        EXPECT_EQ(shot.copy(0, eightBit.top(), width, eightBit.height()),
                  shot.copy(0, throughTheFont.top(), width, throughTheFont.height()))
            << "characters " << (line / 2) * perLine << " on";
    }
}

// Where a row is follows from its number, anywhere in the list: scrolling, the row under the
// mouse, the keys that move the current line, and what assistive technology reads.
TEST_F(ManyLinesTest, ARowIsFoundAndShownAnywhereInTheList)
{
    addLines(100'000);
    const int rowsInView = 20;
    view.scrollTo(row(60'000), QAbstractItemView::PositionAtTop);
    EXPECT_EQ(view.visualRect(row(60'000)).top(), 0);
    EXPECT_EQ(view.visualRect(row(60'001)).top(), 13);
    EXPECT_EQ(view.indexAt(QPoint(5, 13 * 3 + 6)), row(60'003));
    EXPECT_FALSE(view.viewport()->rect().intersects(view.visualRect(row(59'999))));
    EXPECT_FALSE(view.viewport()->rect().intersects(view.visualRect(row(60'000 + rowsInView))));

    // The last line comes into view at the bottom, and no further.
    view.scrollTo(row(100'000));
    EXPECT_EQ(view.visualRect(row(100'000)).bottom(), 13 * rowsInView - 1);
    view.scrollTo(row(100'000), QAbstractItemView::PositionAtTop);
    EXPECT_EQ(view.visualRect(row(100'000)).bottom(), 13 * rowsInView - 1);

    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, view.visualRect(row(99'990)).center());
    EXPECT_EQ(view.currentIndex(), row(99'990));
    EXPECT_TRUE(view.selectionModel()->isSelected(row(99'990)));
    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int row;
    } moves[] = {{Qt::Key_Up, Qt::NoModifier, 99'989},
                 {Qt::Key_PageUp, Qt::NoModifier, 99'989 - rowsInView},
                 {Qt::Key_Home, Qt::ControlModifier, 0},
                 {Qt::Key_Down, Qt::NoModifier, 1},
                 {Qt::Key_PageDown, Qt::NoModifier, 1 + rowsInView},
                 {Qt::Key_End, Qt::ControlModifier, 100'000}};
    for (const auto& move : moves) {
        QTest::keyClick(&view, move.key, move.modifiers);
        EXPECT_EQ(view.currentIndex().row(), move.row) << "after key " << move.key;
        EXPECT_TRUE(view.viewport()->rect().contains(view.visualRect(view.currentIndex())));
    }

    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(&view);
    ASSERT_NE(accessible, nullptr);
    ASSERT_NE(accessible->tableInterface(), nullptr);
    // Screen readers and screen-reading tools find the terminal as a table.
    EXPECT_EQ(accessible->role(), QAccessible::Table);
    EXPECT_EQ(accessible->tableInterface()->rowCount(), 100'001);
    QAccessibleInterface* cell = accessible->tableInterface()->cellAt(99'990, 0);
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->text(QAccessible::Name), QStringLiteral("OK 0099990"));
}

// Lines that stream in are painted a few rows at a time: rows already on screen are copied up
// where text fills the view, and repainted only as far as their old or new text reaches where
// it does not. Either way the screen must show exactly what painting the whole list afresh
// shows, after every burst.
struct Burst {
    int lines;
    int width;          // characters in a line
    int wideEvery = 0;  // every n-th line is wider than the view instead
    int tail = 0;       // characters the last line grows by after the lines; 0: a short text
    int backspaces = 0; // then taken off the last line again
};
struct StreamCase {
    const char* name;
    std::vector<Burst> bursts;
    bool sideways = false; // scrolled sideways after the first burst
    bool selected = false; // a row selected after the first burst
};

class StreamedRows : public TerminalViewTest, public ::testing::WithParamInterface<StreamCase> {};

TEST_P(StreamedRows, MatchAFreshPaint)
{
    const StreamCase& streamed = GetParam();
    PtyPeer& module = plug(1);
    showWindow();
    int rows = 1;
    qint64 lastLength = 0;
    for (std::size_t burst = 0; burst < streamed.bursts.size(); ++burst) {
        const Burst& sent = streamed.bursts[burst];
        // The line holds a few kilobytes: a burst of wide lines goes in pieces, each read
        // before the next is sent.
        QByteArray piece;
        for (int i = 0; i < sent.lines; ++i) {
            const bool wide = sent.wideEvery > 0 && (rows + i) % sent.wideEvery == 0;
            const QByteArray line =
                "burst " + QByteArray::number(int(burst)) + " line " + QByteArray::number(i) + ' ';
            piece += line.leftJustified(wide ? 300 : sent.width, char('a' + i % 26)) + "\r\n";
            if (piece.size() > 2000 && i + 1 < sent.lines) {
                module.send(std::exchange(piece, {}));
                ASSERT_TRUE(
                    QTest::qWaitFor([&] { return core().lines().count() >= rows + i + 1; }, 10000));
            }
        }
        const QByteArray tail = "and the last line grows " + QByteArray::number(int(burst));
        module.send(piece + tail.leftJustified(sent.tail, 'z') + QByteArray(sent.backspaces, '\b'));
        rows += sent.lines;
        lastLength = (sent.lines > 0 ? 0 : lastLength) + std::max<qint64>(sent.tail, tail.size());
        lastLength = std::max<qint64>(0, lastLength - sent.backspaces);
        waitForRows(rows);
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return core().lines().lineLength(rows - 1) == lastLength; }, 10000));
        if (burst == 0 && streamed.sideways)
            list()->horizontalScrollBar()->setValue(
                13 * TerminalRowDelegate::cellWidth(list()->font()) + 3);
        if (burst == 0 && streamed.selected)
            list()->setCurrentIndex(list()->model()->index(rows - 2, 0));
        EXPECT_TRUE(QTest::qWaitFor([&] { return showsAFreshPaint(); }, 5000))
            << "after burst " << burst << ", the screen differs from a fresh paint";
    }
}

// Bursts of 7 lines move the rows up a few at a time; bursts of 60 replace every row. A last
// line that grows only beyond the right edge (of a view already as wide as the widest line) is
// left as it is on screen, until backspaces take it back into view. A last line that grows or
// is backspaced in view is repainted only from the character it changed from.
INSTANTIATE_TEST_SUITE_P(
    TerminalViewTest, StreamedRows,
    ::testing::Values(
        StreamCase{"GrowingLines", {{3, 20}, {7, 23}, {7, 26}, {7, 29}, {7, 32}, {7, 35}, {7, 38}}},
        StreamCase{"ShortLines", {{3, 12}, {7, 12}, {7, 12}, {7, 12}, {7, 12}, {7, 12}, {60, 12}}},
        StreamCase{"LinesWiderThanTheView", {{3, 300}, {7, 300}, {7, 300}, {7, 300}, {60, 300}}},
        StreamCase{"AWideLineAmongShortOnes",
                   {{3, 12, 5}, {7, 12, 5}, {7, 12, 5}, {7, 12, 5}, {7, 12, 5}, {7, 12, 5}}},
        StreamCase{"WideThenShort",
                   {{40, 300}, {7, 12}, {7, 12}, {7, 12}, {7, 12}, {60, 300}, {60, 12}, {7, 12}}},
        StreamCase{"ShortThenWide", {{40, 12}, {7, 300}, {7, 300}, {7, 12, 3}, {7, 12, 3}}},
        StreamCase{"ScrolledSideways", {{40, 300}, {7, 12}, {7, 40}, {60, 300}, {7, 12, 4}}, true},
        StreamCase{"CopiedThenRepaintedInPlace",
                   {{80, 12}, {30, 300}, {5, 12}, {5, 12}, {5, 12}, {5, 12}, {5, 12}, {5, 12}}},
        StreamCase{
            "WithARowSelected", {{80, 12}, {3, 12}, {3, 12}, {7, 300}, {7, 12}}, false, true},
        StreamCase{
            "SidewaysWithARowSelected", {{30, 300}, {3, 12}, {7, 12}, {7, 12, 3}}, true, true},
        StreamCase{"ALastLineGrowingBeyondTheEdge",
                   {{3, 900}, {7, 12, 0, 300}, {0, 0, 0, 200}, {0, 0, 0, 0, 470}, {0, 0, 0, 200}}},
        StreamCase{"ALastLineGrowingInView",
                   {{3, 20},
                    {0, 0, 0, 30},
                    {0, 0, 0, 30, 12},
                    {0, 0, 0, 0, 5},
                    {2, 12, 0, 40, 3},
                    {0, 0, 0, 30}}},
        StreamCase{"ALastLineGrowingInViewSideways",
                   {{30, 300},
                    {0, 0, 0, 30},
                    {0, 0, 0, 30, 12},
                    {0, 0, 0, 0, 5},
                    {2, 12, 0, 40, 3},
                    {0, 0, 0, 30}},
                   true},
        StreamCase{
            "ALastLineGrowingBeyondTheEdgeSideways",
            {{3, 900}, {7, 12, 0, 300}, {0, 0, 0, 200, 490}, {3, 12, 0, 300, 250}, {0, 0, 0, 200}},
            true}),
    [](const auto& info) { return std::string(info.param.name); });

// Rows copied up or down take what is known of their pixels along; rows moved in from
// outside the view are unknown, so they count as reaching the right edge (100).
struct InkShiftCase {
    const char* name;
    int rows;
    std::vector<int> after;
};

class RowInkShift : public ::testing::TestWithParam<InkShiftCase> {};

TEST_P(RowInkShift, MovesWhatIsKnownWithThePixels)
{
    RowInk ink;
    ink.reset(4, 100);
    for (int row = 0; row < 4; ++row)
        ink.painted(row, 10 * (row + 1), true);
    ink.shift(GetParam().rows);
    std::vector<int> rights;
    for (int row = 0; row < ink.rows(); ++row)
        rights.push_back(ink.right(row));
    EXPECT_EQ(rights, GetParam().after);
}

INSTANTIATE_TEST_SUITE_P(RowInk, RowInkShift,
                         ::testing::Values(InkShiftCase{"Still", 0, {10, 20, 30, 40}},
                                           InkShiftCase{"UpOne", -1, {20, 30, 40, 100}},
                                           InkShiftCase{"DownTwo", 2, {100, 100, 10, 20}},
                                           InkShiftCase{"UpPastTheView", -4, {100, 100, 100, 100}},
                                           InkShiftCase{
                                               "DownPastTheView", 9, {100, 100, 100, 100}}),
                         [](const auto& info) { return std::string(info.param.name); });

// While nobody can see the window, lines are kept but not shown: the list on screen stays as
// it was and nothing is painted. Shown again, it shows every line at once.
struct UnseenCase {
    const char* name;
    void (QWidget::*hide)();
    void (QWidget::*show)();
};

class UnseenWindow : public TerminalViewTest, public ::testing::WithParamInterface<UnseenCase> {};

// Counts the paints of a widget.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};

TEST_P(UnseenWindow, PaintsNothingAndShowsEveryLineOnceSeen)
{
    const UnseenCase& unseen = GetParam();
    PtyPeer& module = plug(1);
    showWindow();
    module.send("before\r\n");
    waitForRows(2);
    (window.get()->*unseen.hide)();
    QCoreApplication::processEvents();
    PaintCounter counter(list()->viewport());
    QByteArray lines;
    for (int i = 0; i < 200; ++i)
        lines += "unseen line " + QByteArray::number(i) + "\r\n";
    module.send(lines + "last");
    ASSERT_TRUE(QTest::qWaitFor([&] { return core().lines().count() == 202; }, 10000));
    QTest::qWait(200); // the time of several frames
    EXPECT_EQ(list()->model()->rowCount(), 2);
    EXPECT_EQ(counter.paints, 0);

    (window.get()->*unseen.show)();
    waitForRows(202);
    EXPECT_TRUE(QTest::qWaitFor([&] { return showsAFreshPaint(); }, 5000));
    EXPECT_EQ(list()->model()->index(201, 0).data().toString(), QStringLiteral("last"));
    EXPECT_TRUE(
        list()->viewport()->rect().intersects(list()->visualRect(list()->model()->index(201, 0))));
}

INSTANTIATE_TEST_SUITE_P(TerminalViewTest, UnseenWindow,
                         ::testing::Values(UnseenCase{"Minimised", &QWidget::showMinimized,
                                                      &QWidget::showNormal},
                                           UnseenCase{"Hidden", &QWidget::hide, &QWidget::show}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace

namespace {

// The scroll bar paints a picture of itself while lines stream in: it must look exactly as a
// plain scroll bar in the same place would, at every stage, and follow the handle as it moves.
TEST_F(TerminalViewTest, TheScrollBarLooksLikeAPlainOneWhileLinesStreamIn)
{
    PtyPeer& module = plug(1);
    showWindow();
    QScrollBar* bar = list()->verticalScrollBar();
    const auto looksAlike = [&](QScrollBar& plain) {
        const QImage shown = bar->grab().toImage().convertToFormat(QImage::Format_RGB32);
        return shown == plain.grab().toImage().convertToFormat(QImage::Format_RGB32);
    };
    int rows = 1;
    for (const int lines : {30, 60, 200, 300}) {
        QByteArray burst;
        for (int i = 0; i < lines; ++i)
            burst += "line " + QByteArray::number(rows + i) + "\r\n";
        module.send(burst);
        rows += lines;
        waitForRows(rows);
        if (!bar->isVisible())
            continue; // every line fits in the view yet
        QScrollBar plain(Qt::Vertical);
        plain.setPalette(bar->palette());
        plain.setFont(bar->font());
        plain.resize(bar->size());
        plain.setRange(bar->minimum(), bar->maximum());
        plain.setPageStep(bar->pageStep());
        plain.setValue(bar->value());
        EXPECT_TRUE(looksAlike(plain)) << "after " << rows << " rows";
        // Scrolled back to the top by hand, the handle moves there.
        bar->setValue(0);
        plain.setValue(0);
        EXPECT_TRUE(looksAlike(plain)) << "at the top";
        bar->setValue(bar->maximum());
    }
}

// A frame that brings lines to a long list paints the rows that came and nothing around them:
// not the window beneath the scroll bars, not the sideways bar, and not the vertical bar while
// its handle stays where it is. What the bars show on screen stays what they would paint now.
TEST_F(TerminalViewTest, AFrameOfNewLinesLeavesTheScrollBarsAndTheWindowAlone)
{
    PtyPeer& module = plug(1);
    showWindow();
    // A wide first line: the sideways bar shows. Then enough lines for the handle to reach its
    // smallest size at the bottom, where it stays as lines come.
    int rows = 1;
    QByteArray lines = QByteArray(300, 'w') + "\r\n";
    for (int i = 0; i < 5000; ++i) {
        lines += "filler " + QByteArray::number(i) + "\r\n";
        if (lines.size() > 2000 || i == 4999) {
            module.send(std::exchange(lines, {}));
            rows = i + 2;
            ASSERT_TRUE(QTest::qWaitFor([&] { return core().lines().count() >= rows; }, 10000));
        }
    }
    rows += 1;
    waitForRows(rows);
    QTest::qWait(100); // the last frame and the layout it queues settle
    QScrollBar* vertical = list()->verticalScrollBar();
    QScrollBar* sideways = list()->horizontalScrollBar();
    ASSERT_TRUE(vertical->isVisible() && sideways->isVisible());
    PaintCounter rowsPainted(list()->viewport());
    PaintCounter frame(list());
    PaintCounter verticalPainted(vertical);
    PaintCounter sidewaysPainted(sideways);
    for (int burst = 0; burst < 5; ++burst) {
        module.send("streamed " + QByteArray::number(burst) + "\r\nmore\r\nand more\r\n");
        rows += 3;
        waitForRows(rows);
        QTest::qWait(60); // what the frame queued runs
    }
    EXPECT_GT(rowsPainted.paints, 0);
    EXPECT_EQ(frame.paints, 0) << "the window beneath the scroll bars was painted";
    EXPECT_EQ(sidewaysPainted.paints, 0);
    EXPECT_EQ(verticalPainted.paints, 0);
    const auto onScreenMatches = [&](QWidget* bar) {
        const QRect area(bar->mapTo(window.get(), QPoint(0, 0)), bar->size());
        const QImage shown =
            window->screen()
                ->grabWindow(window->winId(), area.x(), area.y(), area.width(), area.height())
                .toImage()
                .convertToFormat(QImage::Format_RGB32);
        return shown == bar->grab().toImage().convertToFormat(QImage::Format_RGB32);
    };
    EXPECT_TRUE(onScreenMatches(vertical));
    EXPECT_TRUE(onScreenMatches(sideways));
}

} // namespace
