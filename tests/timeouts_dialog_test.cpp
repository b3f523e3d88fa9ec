// The port timeouts dialog over the offscreen window: what it shows, what "Set" applies to
// the port, bad input, the reset on every open, and the bound on the driver's waits.
#include "QtPrinters.h"
#include "Timeouts.h"
#include "Watchdog.h"
#include "WindowFixture.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

const QStringList boxNames{"ReadInterval", "ReadTotal", "ReadTotalConstant", "WriteTotal",
                           "WriteTotalConstant"};

class TimeoutsDialogTest : public WindowFixture {
protected:
    TSettings* dialog() const { return control<TSettings>("Settings"); }
    QLineEdit* box(const QString& name) const { return control<QLineEdit>(name); }
    QStringList shown() const
    {
        QStringList texts;
        for (const QString& name : boxNames)
            texts.append(box(name)->text());
        return texts;
    }
    void fill(const QStringList& texts)
    {
        for (qsizetype i = 0; i < boxNames.size(); ++i)
            box(boxNames[i])->setText(texts[i]);
    }
    void set() { QTest::mouseClick(control<QPushButton>("Setit"), Qt::LeftButton); }
    // The dialog's top left when it is centred over the main window.
    QPoint centredPlace() const
    {
        const QRect main = window->frameGeometry();
        const QSize own = dialog()->frameGeometry().size();
        return {main.left() + main.width() / 2 - own.width() / 2,
                main.top() + main.height() / 2 - own.height() / 2};
    }
    const CommTimeouts& onPort() { return core().io().timeouts(); }
};

TEST_F(TimeoutsDialogTest, BoxesSitInTheirPlacesAndTabInTheirOrder)
{
    showWindow();
    ASSERT_NE(dialog(), nullptr);
    EXPECT_EQ(dialog()->windowTitle(), "CommPort Timeouts");
    EXPECT_FALSE(dialog()->isModal());
    EXPECT_EQ(dialog()->size(), QSize(287, 230));
    const int tops[] = {16, 43, 70, 128, 155};
    for (qsizetype i = 0; i < boxNames.size(); ++i) {
        EXPECT_EQ(box(boxNames[i])->geometry(), QRect(128, tops[i], 121, 21))
            << boxNames[i].toStdString();
    }
    EXPECT_EQ(control<QPushButton>("Setit")->text(), "Set");
    EXPECT_EQ(control<QPushButton>("Setit")->y(), 198);

    QStringList tabOrder{box("ReadInterval")->objectName()};
    for (QWidget* w = box("ReadInterval")->nextInFocusChain(); w != box("ReadInterval");
         w = w->nextInFocusChain())
        if (w->focusPolicy() & Qt::TabFocus)
            tabOrder.append(w->objectName());
    EXPECT_EQ(tabOrder, (QStringList{"ReadInterval", "ReadTotal", "WriteTotal",
                                     "WriteTotalConstant", "ReadTotalConstant", "Setit"}));
}

TEST_F(TimeoutsDialogTest, EachShowingIsCentredAndReadsThePortAfresh)
{
    plug(1);
    showWindow();
    click("Timeouts1");
    EXPECT_TRUE(dialog()->isVisible());
    EXPECT_TRUE(window->isEnabled()); // modeless: the window stays usable
    EXPECT_EQ(shown(), (QStringList{"15", "15", "15", "10", "10"}));
    EXPECT_EQ(dialog()->pos(), centredPlace());

    click("Timeouts1");
    EXPECT_FALSE(dialog()->isVisible());

    window->move(window->pos() + QPoint(40, 30));
    core().io().setTimeouts({1, 2, 3, 4, 5});
    click("Timeouts1");
    EXPECT_TRUE(dialog()->isVisible());
    EXPECT_EQ(shown(), (QStringList{"1", "2", "3", "4", "5"}));
    EXPECT_EQ(dialog()->pos(), centredPlace());
}

// The same text in every box, and what each field holds after "Set".
struct SetCase {
    const char* text;
    std::uint32_t readFirstTwo; // ReadInterval and ReadTotal, which are at least 1
    std::uint32_t others;
    const char* shownFirstTwo;
};

void PrintTo(const SetCase& c, std::ostream* os) { *os << '"' << c.text << '"'; }

class TimeoutsSetTest : public TimeoutsDialogTest, public ::testing::WithParamInterface<SetCase> {};

TEST_P(TimeoutsSetTest, StoresEachBoxAsItsThirtyTwoBitPattern)
{
    const SetCase& c = GetParam();
    plug(1);
    showWindow();
    click("Timeouts1");
    fill(QStringList(boxNames.size(), c.text));
    set();

    EXPECT_TRUE(prompts.messages.isEmpty()) << prompts.messages.join('\n').toStdString();
    EXPECT_FALSE(dialog()->isVisible());
    EXPECT_EQ(onPort(),
              (CommTimeouts{c.readFirstTwo, c.readFirstTwo, c.others, c.others, c.others}));
    EXPECT_EQ(box("ReadInterval")->text(), c.shownFirstTwo);
    EXPECT_EQ(box("ReadTotal")->text(), c.shownFirstTwo);

    click("Timeouts1");
    const QString first = QString::number(c.readFirstTwo);
    const QString other = QString::number(c.others);
    EXPECT_EQ(shown(), (QStringList{first, first, other, other, other}));
}

INSTANTIATE_TEST_SUITE_P(
    Texts, TimeoutsSetTest,
    ::testing::Values(SetCase{"0", 1, 0, "1"}, SetCase{"7", 7, 7, "7"},
                      SetCase{"-1", 0xFFFFFFFFu, 0xFFFFFFFFu, "-1"},
                      SetCase{"4294967295", 0xFFFFFFFFu, 0xFFFFFFFFu, "4294967295"},
                      SetCase{"-2147483648", 0x80000000u, 0x80000000u, "-2147483648"},
                      SetCase{" $1F", 31, 31, " $1F"}));

// A box that is not a number, in one box, with "7" in all the others.
struct BadBoxCase {
    const char* box;
    const char* text;
};

void PrintTo(const BadBoxCase& c, std::ostream* os) { *os << c.box << " \"" << c.text << '"'; }

class TimeoutsBadBoxTest : public TimeoutsDialogTest,
                           public ::testing::WithParamInterface<BadBoxCase> {};

TEST_P(TimeoutsBadBoxTest, IsReportedAndNothingReachesThePort)
{
    const BadBoxCase& c = GetParam();
    plug(1);
    showWindow();
    click("Timeouts1");
    fill(QStringList(boxNames.size(), "7"));
    box(c.box)->setText(c.text);
    set();

    EXPECT_EQ(prompts.messages,
              QStringList{QStringLiteral("'%1' is not a valid integer value").arg(c.text)});
    EXPECT_EQ(onPort(), CommTimeouts{});
    EXPECT_TRUE(dialog()->isVisible());

    box(c.box)->setText("7"); // mended, the next "Set" goes through
    set();
    EXPECT_EQ(onPort(), (CommTimeouts{7, 7, 7, 7, 7}));
    EXPECT_FALSE(dialog()->isVisible());
}

INSTANTIATE_TEST_SUITE_P(Texts, TimeoutsBadBoxTest,
                         ::testing::Values(BadBoxCase{"WriteTotal", "a"},
                                           BadBoxCase{"ReadInterval", ""},
                                           BadBoxCase{"WriteTotalConstant", "1.5"},
                                           BadBoxCase{"ReadTotal", "4294967296"},
                                           BadBoxCase{"ReadTotalConstant", "-2147483649"}));

TEST_F(TimeoutsDialogTest, EveryOpenOfThePortSetsItsOwnValuesAgain)
{
    plug(1);
    showWindow();
    click("Timeouts1");
    fill({"-1", "-1", "-1", "-1", "-1"});
    set();
    click("B9600");
    EXPECT_EQ(onPort(), CommTimeouts{});
    click("Timeouts1");
    EXPECT_EQ(shown(), (QStringList{"15", "15", "15", "10", "10"}));
}

TEST_F(TimeoutsDialogTest, WithNoPortOpenShowsWhatItHeldAndSetsNothing)
{
    showWindow(); // nothing behind COM1
    prompts.messages.clear();
    click("Timeouts1");
    EXPECT_EQ(shown(), (QStringList{"0", "0", "0", "0", "0"}));
    fill({"5", "6", "7", "8", "9"});
    set();
    EXPECT_TRUE(prompts.messages.isEmpty());
    EXPECT_FALSE(dialog()->isVisible());
    EXPECT_FALSE(core().io().isOpen());
    click("Timeouts1");
    EXPECT_EQ(shown(), (QStringList{"5", "6", "7", "8", "9"}));
}

// A driver that honoured 4294967295 ms would hold the window for weeks; the watchdog sets
// such a write free by reading the line after half a minute, and the test then fails.
TEST_F(TimeoutsDialogTest, WriteGivesUpWithinTheBoundWhateverTheDialogSet)
{
    PtyPeer& module = plug(1);
    showWindow();
    click("Timeouts1");
    fill({"4294967295", "4294967295", "4294967295", "4294967295", "4294967295"});
    set();
    ASSERT_EQ(onPort().oneByteWriteLimitMs(), 0x7fffffff);

    module.fillLineToModule();
    Watchdog watchdog(std::chrono::seconds(30), [&module] {
        while (!module.read(100, 50).isEmpty()) {
        }
    });
    core().io().c_putc('A');
    EXPECT_FALSE(watchdog.fired()) << "the write waited as long as the port's limit said";
}

} // namespace
