// The main window's vocabulary, walked by object name: menus and tool bars with their
// captions, hints, widths and order; what is hidden; how the optional tool bars stack.
#include "WindowFixture.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

namespace {

// A menu item as "name|caption", with "|hint" where it has one.
QStringList describe(const QMenu* menu)
{
    QStringList items;
    for (const QAction* item : menu->actions()) {
        QString row = item->objectName() + '|' + (item->isSeparator() ? "-" : item->text());
        // An item without a hint of its own shows its caption as its tool tip.
        if (item->toolTip() != QString(item->text()).remove('&').trimmed())
            row += '|' + item->toolTip();
        items.append(row);
    }
    return items;
}

QString captionOf(const QWidget* widget)
{
    if (auto* button = qobject_cast<const QAbstractButton*>(widget))
        return button->text();
    if (auto* label = qobject_cast<const QLabel*>(widget))
        return label->text();
    if (auto* box = qobject_cast<const QComboBox*>(widget))
        return box->currentText();
    if (auto* edit = qobject_cast<const QLineEdit*>(widget))
        return edit->text();
    return QString();
}

// A tool bar control as "name|caption|hint|width", the width where it is fixed;
// a separator as "name|-".
QStringList describe(const QToolBar* bar)
{
    QStringList controls;
    for (QAction* place : bar->actions()) {
        if (place->isSeparator()) {
            controls.append(place->objectName() + "|-");
            continue;
        }
        const QWidget* widget = bar->widgetForAction(place);
        const bool fixed = widget->minimumWidth() == widget->maximumWidth();
        controls.append(QStringList{widget->objectName(), captionOf(widget), widget->toolTip(),
                                    fixed ? QString::number(widget->width()) : QString()}
                            .join('|'));
    }
    return controls;
}

const char* const bgioCallHint = "CALL MAC_ADDR af5c7d47-350b-45f6-bdf6-b403441edb77 RFCOMM";

class WindowLayoutTest : public WindowFixture {
protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        plug(1);
        showWindow();
    }
    QMenu* menu(const char* name) const { return control<QMenu>(name); }
    QToolBar* bar(const char* name) const { return control<QToolBar>(name); }
};

TEST_F(WindowLayoutTest, MenusHoldTheirItemsInOrder)
{
    QStringList menus;
    for (QAction* a : window->menuBar()->actions())
        menus.append(a->menu()->objectName() + '|' + a->text());
    EXPECT_EQ(menus, (QStringList{"File1|&File", "COM|COM", "Baud1|Parameters", "View1|View",
                                  "Commands1|Commands"}));

    EXPECT_EQ(describe(menu("File1")),
              (QStringList{"Clear2|Clear", "Copy|Copy", "Log1|Log", "Timestamp1|Timestamp",
                           "DateStamp1|DateStamp", "N6|-", "PrintSetup|Print Setup", "Print1|Print",
                           "N3|-", "Exit1|E&xit"}));
    EXPECT_EQ(describe(menu("PopupMenu1")),
              (QStringList{"Clear1|Clear", "Copy1|Copy", "Paste1|Paste", "Print2|Print"}));
    EXPECT_EQ(describe(menu("Baud1")).last(3),
              (QStringList{"N2stopbits1|2 stop bits", "N7|-", "Timeouts1|Timeouts"}));
    EXPECT_EQ(
        describe(menu("View1")),
        (QStringList{"SPP1| SPP Toolbar", "BGIO1|BGIO Toolbar", "HID1|HID  Toolbar",
                     "GainSpan1|GainSpan  Toolbar", "Echo1|Echo", "HexMode|HexMode Read",
                     "HexModeWrite1|HexMode Write", "Unreadable1|UnReadable",
                     "OrvinTerminal|Green on Black", "CopyToSend1|Copy To Send",
                     "AddLinefeedton1|Add Linefeed to \\n", "iWrapCommands1|iWrap Commands"}));
    EXPECT_EQ(
        describe(menu("Commands1")),
        (QStringList{
            "Set9600|9600|SET CONTROL BAUD 9600,8n1 and change Serivox baud to 9600",
            "SET19200|19200|SET CONTROL BAUD19200,8n1 and change Serivox baud to 19200",
            "SET38400|38400|SET CONTROL BAUD 38400,8n1 and change Serivox baud to 38400",
            "SET_38400_8E1|38400,8E1|SET CONTROL BAUD 38400,8E1 and change Serivox baud to 38400",
            "SET57600|57600|SET CONTROL BAUD 57600,8n1 and change Serivox baud to 57600",
            "SET115200|115200|SET CONTROL BAUD 115200,8n1 and change Serivox baud to115200",
            "UART_LATENCY|UART_LATENCY|SET CONTROL CONFIG 4000",
            "CONTROL_CONFIG|CONTROL_CONFIG|SET CONTROL CONFIG LIST",
            "SET_BT_SNIFF|SET_BT_SNIFF|SET BT SNIFF 4 2", "SETBTPAIR|SET BT PAIR *",
            "AUTOCALLOFF|AUTOCALL OFF|SET CONTROL AUTOCALL",
            "HIDTest|HID Test|Customised HID Test routine", "SETBTAUTH4715|SET BT AUTH * 4715",
            "SETBTAUTH|SET BT AUTH |SET BT AUTH * 4715", "SCR1|S<LF>"}));
}

TEST_F(WindowLayoutTest, ToolBarsHoldTheirControlsInOrder)
{
    EXPECT_EQ(describe(bar("ToolBar1")), (QStringList{"ToolButton1||SET|",
                                                      "ToolButton2||RESET|",
                                                      "ToolButton5||INQUIRY 5 NAME|",
                                                      "ToolButton4|-",
                                                      "ToolButton3||LIST|",
                                                      "Label1|  MAC  ||",
                                                      "ComboBox1|Unknown MAC     ||121",
                                                      "ToolButton9|-",
                                                      "ESend|||150",
                                                      "SendData|Send|Send Edit Box data + LF|40",
                                                      "ToolButton19|-",
                                                      "SELECT|SELECT|SELECT|42",
                                                      "CLOSECH|CLOSE|CLOSE |45",
                                                      "Channel|255||42",
                                                      "ToolButton6|-",
                                                      "ToolButton14||PIO SETDIR FF FF|",
                                                      "ToolButton15||PIO SET FF FF|",
                                                      "ToolButton16||PIO SET FF 00|",
                                                      "ToolButton22|||",
                                                      "ToolButton23|||",
                                                      "ToolButton12|-",
                                                      "MUX1|Multiplex|SET CONTROL MUX 1|60"}));
    EXPECT_EQ(
        describe(bar("ToolBar2")),
        (QStringList{"Label2| SPP||", "CALL|CALL SPP|CALL MAC_ADDR 1101 RFCOMM|75", "ToolButton7|-",
                     "SPPAutocall|SPP AUTOCALL|SET CONTROL AUTOCALL 1101 5000 RFCOMM|88",
                     "Button8|SPP ON|SET PROFILE SPP ON|75", "SPPOFF|SPP OFF|SET PROFILE SPP|75",
                     "ToolButton11|-", "SETBTSSP|SSP 3 0|SET BT SSP 3 0|75",
                     "PAGEMODE|PAGEMODE|SET BT PAGEMODE 4 2000 1|75", "ToolButton13|-",
                     "COMMAND|CMD/DATA|+++|75", "ToolButton17|-"}));
    EXPECT_EQ(
        describe(bar("ToolBar3")),
        (QStringList{
            "Label3|BGIO||", QString("Button1|CALL BGIO|") + bgioCallHint + "|75", "ToolButton8|-",
            "BGIO_AUTOCALL|BGIO AUTOCALL|SET CONTROL AUTOCALL "
            "af5c7d47-350b-45f6-bdf6-b403441edb77 5000 RFCOMM|88",
            "BGIOON|BGIO ON|SET PROFILE BGIO ON|75", "BGIOOff|BGIO OFF|SET PROFILE BGIO|75",
            "ToolButton10|-", "SETDIR|SET DIR|0 5 7 FF FF FF FF|75",
            "Button5|SET PIO|0 5 4 FF FF FF FF|75", "Button6|CLR PIO|0 5 4 FF FF 0 0 |75"}));
    EXPECT_EQ(
        describe(bar("ToolBar4")),
        (QStringList{"ToolButton18|-", QString("CallHID|CALL HID|") + bgioCallHint + "|75",
                     "Pair|PAIR||52", "HIDOn|HID ON||75", "HIDOff|HID OFF|SET PROFILE HID|75"}));
    EXPECT_EQ(bar("ToolBar5")->parentWidget(), bar("ToolBar4"));
    EXPECT_EQ(bar("ToolBar5")->windowTitle(), "ToolBar4");
    EXPECT_EQ(describe(bar("ToolBar5")),
              (QStringList{"Label5|HID||", QString("Button2|CALL HID|") + bgioCallHint + "|75",
                           "ToolButton20|-", "Button3|PAIR|PAIR[ MAC Address]|52",
                           "Button4|HID ON|SET PROFILE HID Keyboard|75",
                           "Button7|HID OFF|SET PROFILE HID|75"}));
    EXPECT_EQ(describe(bar("GainSpanToolBar")),
              (QStringList{"Label6|GainSpan||", "GS_Ver|Version|AT+VER=?|75", "ToolButton21|-",
                           "GS_Nstat|Status|AT+NSTAT=?|89", "GS_NDHCP|DHCP Enable|AT+NDHCP=1|75",
                           "ScanTime|ScanTime|ATS5=999|75", "GS_WS|Scan|AT+WS|75"}));

    QStringList channels;
    auto* channel = control<QComboBox>("Channel");
    for (int i = 0; i < channel->count(); ++i)
        channels.append(channel->itemText(i));
    EXPECT_EQ(channels, (QStringList{"0", "1", "2", "3", "4", "5", "6", "255"}));
    EXPECT_TRUE(channel->isEditable());
    EXPECT_TRUE(control<QComboBox>("ComboBox1")->isEditable());
}

TEST_F(WindowLayoutTest, OptionalToolBarsStackInOrderAndTheirTicksFollow)
{
    const char* const bars[] = {"ToolBar1", "ToolBar2", "ToolBar3", "ToolBar4", "GainSpanToolBar"};
    const char* const items[] = {"SPP1", "BGIO1", "HID1", "GainSpan1"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_FALSE(bar(bars[i + 1])->isVisible()) << bars[i + 1];
        EXPECT_FALSE(action(items[i])->isChecked()) << items[i];
    }
    auto* list = control<QAbstractItemView>("ListBox1");
    const int fullHeight = list->height();

    action("SPP1")->trigger();
    EXPECT_TRUE(bar("ToolBar2")->isVisible());
    EXPECT_TRUE(action("SPP1")->isChecked());
    action("SPP1")->trigger();
    EXPECT_FALSE(bar("ToolBar2")->isVisible());
    EXPECT_FALSE(action("SPP1")->isChecked());

    showAllToolBars();
    QTest::qWait(20);
    for (int i = 0; i < 4; ++i) {
        EXPECT_TRUE(action(items[i])->isChecked()) << items[i];
        EXPECT_EQ(bar(bars[i + 1])->y(), bar(bars[i])->geometry().bottom() + 1) << bars[i + 1];
    }
    EXPECT_EQ(list->height(), fullHeight - 4 * 25);
    EXPECT_FALSE(bar("ToolBar5")->isVisible());
}

TEST_F(WindowLayoutTest, HiddenControlsAreThereButNeverShown)
{
    showAllToolBars();
    const std::pair<const char*, const char*> hidden[] = {
        {"BT_SET", "SET"},       {"INQUIRY", "INQUIRY"},       {"BT_RESET", "RESET"},
        {"BT_LIST", "LIST"},     {"MUX", "SET CONTROL MUX 1"}, {"SetMux0", "SET CONTROL MUX 0"},
        {"Button2", "CALL HID"}, {"Button3", "PAIR"},          {"Button4", "HID ON"},
        {"Button7", "HID OFF"},
    };
    for (const auto& [name, caption] : hidden) {
        auto* button = control<QAbstractButton>(name);
        ASSERT_NE(button, nullptr) << name;
        EXPECT_EQ(button->text(), caption);
        EXPECT_FALSE(button->isVisible()) << name;
    }
    auto* mac = control<QLineEdit>("MAC");
    ASSERT_NE(mac, nullptr);
    EXPECT_FALSE(mac->isVisible());
}

TEST_F(WindowLayoutTest, TheNinePictureButtonsShowTheirIcons)
{
    for (const char* name :
         {"ToolButton1", "ToolButton2", "ToolButton5", "ToolButton3", "ToolButton14",
          "ToolButton15", "ToolButton16", "ToolButton22", "ToolButton23"}) {
        auto* button = control<QToolButton>(name);
        ASSERT_NE(button, nullptr) << name;
        EXPECT_TRUE(button->text().isEmpty()) << name;
        const QImage picture = button->icon().pixmap(16, 16).toImage();
        ASSERT_FALSE(picture.isNull()) << name << ": icon not drawn (SVG plugin missing?)";
        int inked = 0;
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                inked += qAlpha(picture.pixel(x, y)) > 0;
        EXPECT_GT(inked, 10) << name;
    }
}

TEST_F(WindowLayoutTest, BoxesAndTheMultiplexBoxAreViewsOfTheCore)
{
    auto* mux = control<QCheckBox>("MUX1");
    QTest::mouseClick(mux, Qt::LeftButton);
    EXPECT_TRUE(core().st.MUX1);
    core().st.MUX1 = false; // as the core does when it switches multiplexing itself
    emit core().optionsChanged();
    EXPECT_FALSE(mux->isChecked());

    auto* channel = control<QComboBox>("Channel");
    channel->setEditText("3");
    EXPECT_EQ(core().channelText(), "3");

    auto* sendBox = control<QLineEdit>("ESend");
    QTest::keyClicks(sendBox, "AT");
    EXPECT_EQ(core().sendBox(), "AT");
    core().setSendBox("INFO");
    EXPECT_EQ(sendBox->text(), "INFO");

    emit core().hintChanged("SELECT", "SELECT 3");
    EXPECT_EQ(control<QWidget>("SELECT")->toolTip(), "SELECT 3");

    action("Exit1")->trigger();
    EXPECT_FALSE(window->isVisible());
}

TEST_F(WindowLayoutTest, WindowSizeFontAndCommandList)
{
    EXPECT_EQ(window->width(), 965);
    EXPECT_EQ(window->height() - window->menuBar()->height(), 660);
    EXPECT_EQ(window->font().family(), "Tahoma");
    EXPECT_EQ(window->font().pointSize(), 8);
    EXPECT_EQ(bar("ToolBar1")->height(), 30);

    window->resize(40, 600);
    EXPECT_EQ(window->width(), 100);

    auto* list = control<QListView>("IWrap");
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->parentWidget()->objectName(), "Splitter1");
    EXPECT_EQ(list->parentWidget()->parentWidget()->objectName(), "_Main");
}

} // namespace
