// The command list beside the terminal: what each line sends, and how lines are chosen.
#include "WindowFixture.h"
#include "WireForms.h"

#include <QAction>
#include <QListWidget>
#include <QSplitter>
#include <QTest>

namespace {

// Every line as shown, and what it sends while the MAC box shows its design text.
struct LineCase {
    int number;
    const char* shown;
    QByteArray sent;
};

void PrintTo(const LineCase& c, std::ostream* os) { *os << "line " << c.number; }

const QByteArray mac = "Unknown MAC     ";

class CommandListTest : public WindowFixture {
protected:
    PtyPeer& start()
    {
        PtyPeer& module = plug(1);
        showWindow();
        list = control<QListWidget>("IWrap");
        return module;
    }
    void clickLine(int number, Qt::MouseButton button = Qt::LeftButton)
    {
        QListWidgetItem* item = list->item(number - 1);
        list->scrollToItem(item);
        QTest::mouseClick(list->viewport(), button, {}, list->visualItemRect(item).center());
    }

    QListWidget* list = nullptr;
};

class CommandLineTest : public CommandListTest, public ::testing::WithParamInterface<LineCase> {};

TEST_P(CommandLineTest, ClickingTheLineSendsItsCommand)
{
    const LineCase& c = GetParam();
    PtyPeer& module = start();
    ASSERT_EQ(list->count(), 37);
    EXPECT_EQ(list->item(c.number - 1)->text(), c.shown);
    clickLine(c.number);
    EXPECT_EQ(hexOf(module.readExactly(c.sent.size() + 3)), hexOf(plain(c.sent)));
    EXPECT_EQ(hexOf(module.read(30)), "");
}

INSTANTIATE_TEST_SUITE_P(
    Lines, CommandLineTest,
    ::testing::Values(
        LineCase{1, "// IWRAP COMMANDS", ""},
        LineCase{2, "AIO 4 // Analog Input output reference", "AIO 4"},
        LineCase{3, "AT // Attention - replies OK", "AT"},
        LineCase{4, "AUTH [MAC] PIN", "AUTH " + mac + " PIN"},
        LineCase{5, "BER 0 // bit error rate on CH0", "BER 0"},
        LineCase{6, "BLINK 80 100 100 // blink PIO7 at 256ms on/off", "BLINK 80 100 100"},
        LineCase{7, "BOOT 0", "BOOT 0"},
        LineCase{8, "CALL [MAC] 1101 RFCOMM", "CALL " + mac + " 1101 RFCOMM"},
        LineCase{9, "CLOCK 0", "CLOCK 0"}, LineCase{10, "CLOSE 0", "CLOSE 0"},
        LineCase{11, "CONNAUTH [MAC] 3 0", "CONNAUTH " + mac + " 3 0"},
        LineCase{12, "CONNECT 0 1", "CONNECT 0 1"}, LineCase{13, "ECHO 0 DATA ", "ECHO 0 DATA"},
        LineCase{14, "DEFRAG // defragment and reset", "DEFRAG"},
        LineCase{15, "DELAY 0 60000 SET BT PAGEMODE 0", "DELAY 0 60000 SET BT PAGEMODE 0"},
        LineCase{16, "HID GET", "HID GET"}, LineCase{17, "HID SET", "HID SET"},
        LineCase{18, "INQUIRY 1 NAME LAP 9E8B00", "INQUIRY 1 NAME LAP 9E8B00"},
        LineCase{19, "INQUIRY 5 NAME", "INQUIRY 5 NAME"},
        LineCase{20, "IC // INQUIRY CANCEL", "IC"},
        LineCase{21, "IDENT [MAC] // Identify", "IDENT " + mac}, LineCase{22, "INFO", "INFO"},
        LineCase{23, "KILL [MAC]", "KILL " + mac}, LineCase{24, "L2CAP 37", "L2CAP 37"},
        LineCase{25, "LIST // list active connections", "LIST"},
        LineCase{26, "NAME [MAC] // reveal BT name", "NAME " + mac},
        LineCase{27, "PAIR [MAC] // Pair with BT name", "PAIR " + mac},
        LineCase{28, "PIO GET // Digital IO get states", "PIO GET"},
        LineCase{29, "PIO GETDIR // Digital IO get direction", "PIO GETDIR"},
        LineCase{30, "PIO GETBIAS", "PIO GETBIAS"}, LineCase{31, "PLAY OK", "PLAY OK"},
        LineCase{32, "RFCOMM CREATE", "RFCOMM CREATE"}, LineCase{33, "RESET", "RESET"},
        LineCase{34, "RSSI 0 // Receiver Signal Strength of CH0", "RSSI 0"},
        LineCase{35, "SCO ENABLE", "SCO ENABLE"}, LineCase{36, "SCO OPEN 0", "SCO OPEN 0"},
        LineCase{37, "SDP [MAC] 1002", "SDP " + mac + " 1002"}),
    [](const auto& info) { return "line" + std::to_string(info.param.number); });

TEST_F(CommandListTest, ArrowKeysSendEveryLinePassed)
{
    PtyPeer& module = start();
    clickLine(1);
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(list, Qt::Key_Down);
    QTest::keyClick(list, Qt::Key_Up);
    const QByteArray expected =
        plain("") + plain("AIO 4") + plain("AT") + plain("AUTH " + mac + " PIN") + plain("AT");
    EXPECT_EQ(hexOf(module.readExactly(expected.size())), hexOf(expected));
    EXPECT_EQ(hexOf(module.read(30)), "");
}

TEST_F(CommandListTest, ClickingTheSelectedLineAgainSendsItAgain)
{
    PtyPeer& module = start();
    clickLine(3);
    clickLine(3);
    const QByteArray expected = plain("AT") + plain("AT");
    EXPECT_EQ(hexOf(module.readExactly(expected.size())), hexOf(expected));
}

TEST_F(CommandListTest, OnlyTheLeftButtonSendsALine)
{
    PtyPeer& module = start();
    for (const Qt::MouseButton button : {Qt::RightButton, Qt::MiddleButton}) {
        clickLine(5, button);
        QTest::mouseDClick(list->viewport(), button, {},
                           list->visualItemRect(list->item(5)).center());
    }
    clickLine(3, Qt::RightButton);
    EXPECT_EQ(hexOf(module.read(50)), "");
    // The line that another button selected is sent by a left click on it.
    clickLine(3);
    EXPECT_EQ(hexOf(module.readExactly(6)), hexOf(plain("AT")));
    EXPECT_EQ(hexOf(module.read(30)), "");
}

TEST_F(CommandListTest, AClickWhereNoLineIsSendsNothing)
{
    PtyPeer& module = start();
    const QRect last = list->visualItemRect(list->item(36));
    ASSERT_LT(last.bottom() + 10, list->viewport()->height());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(5, last.bottom() + 10));
    // Tabbing into the list makes a line current without choosing it.
    list->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(hexOf(module.read(50)), "");
}

TEST_F(CommandListTest, InMultiplexingModeALineIsAFrameOnTheCurrentLink)
{
    PtyPeer& module = start();
    core().preset(&TerminalState::MUX1, true);
    core().preset(&TerminalState::muxLink, 1);
    clickLine(25);
    EXPECT_EQ(hexOf(module.readExactly(9)), "BF 01 00 04 4C 49 53 54 FE");
}

TEST_F(CommandListTest, TheViewItemWidensAndNarrowsTheListWhateverTheSplitterDid)
{
    start();
    QAction* item = action("iWrapCommands1");
    EXPECT_EQ(list->width(), 20);
    EXPECT_FALSE(item->isChecked());

    item->trigger();
    EXPECT_EQ(list->width(), 200);
    EXPECT_TRUE(item->isChecked());

    // The user drags the splitter somewhere in between.
    auto* splitter = control<QSplitter>("Splitter1");
    const int total = splitter->sizes().at(0) + splitter->sizes().at(1);
    splitter->setSizes({total - 120, 120});
    EXPECT_EQ(list->width(), 120);

    item->trigger();
    EXPECT_EQ(list->width(), 5);
    EXPECT_FALSE(item->isChecked());
}

} // namespace
