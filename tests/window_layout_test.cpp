// The main window's vocabulary, walked by object name: menus and tool bars with their
// captions, hints, widths and order; what is hidden; how the optional tool bars stack.
#include "WindowFixture.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFontInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionFrame>
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
                                  "Commands1|Commands", "Help1|Help"}));

    EXPECT_EQ(describe(menu("File1")),
              (QStringList{"Clear2|Clear", "Copy|Copy", "Log1|Log", "Timestamp1|Timestamp",
                           "DateStamp1|DateStamp", "N1|-", "DownloadFile|Download File", "N6|-",
                           "PrintSetup|Print Setup", "Print1|Print", "N3|-", "Exit1|E&xit"}));
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
    EXPECT_EQ(describe(menu("Help1")), (QStringList{"ShowHelp|Show Help", "About|About"}));
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
    EXPECT_TRUE(core().state().MUX1);
    core().preset(&TerminalState::MUX1,
                  false); // as the core does when it switches multiplexing itself
    emit core().options().optionsChanged();
    EXPECT_FALSE(mux->isChecked());

    auto* channel = control<QComboBox>("Channel");
    channel->setEditText("3");
    EXPECT_EQ(core().shown().channelText(), "3");

    auto* sendBox = control<QLineEdit>("ESend");
    QTest::keyClicks(sendBox, "AT");
    EXPECT_EQ(core().shown().sendBox(), "AT");
    core().shown().setSendBox("INFO");
    EXPECT_EQ(sendBox->text(), "INFO");

    emit core().shown().hintChanged("SELECT", "SELECT 3");
    EXPECT_EQ(control<QWidget>("SELECT")->toolTip(), "SELECT 3");

    action("Exit1")->trigger();
    EXPECT_FALSE(window->isVisible());
}

// The width a control's style leaves for its caption or value.
int textRoom(const QWidget* widget)
{
    QStyle* style = widget->style();
    if (auto* button = qobject_cast<const QPushButton*>(widget)) {
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        return style->subElementRect(QStyle::SE_PushButtonContents, &option, button).width();
    }
    if (auto* box = qobject_cast<const QCheckBox*>(widget)) {
        QStyleOptionButton option;
        option.initFrom(box);
        option.text = box->text();
        return style->subElementRect(QStyle::SE_CheckBoxContents, &option, box).width();
    }
    if (auto* edit = qobject_cast<const QLineEdit*>(widget)) {
        QStyleOptionFrame option;
        option.initFrom(edit);
        option.lineWidth =
            edit->hasFrame() ? style->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit) : 0;
        const QMargins margins = edit->textMargins();
        // A line edit keeps 2 pixels each side of its text, and a pixel for the cursor.
        return style->subElementRect(QStyle::SE_LineEditContents, &option, edit).width() -
               margins.left() - margins.right() - 2 * 2 - 1;
    }
    return widget->contentsRect().width();
}

// A caption that touches its control's edge, or a label that touches the next control.
constexpr int leastGap = 2;

TEST_F(WindowLayoutTest, EveryCaptionAndValueFitsItsControl)
{
    showAllToolBars();
    typeMac("00:07:80:12:34:56"); // a full Bluetooth address
    control<QComboBox>("Channel")->setEditText("255");
    QTest::qWait(20);

    int checked = 0;
    for (const char* name : {"ToolBar1", "ToolBar2", "ToolBar3", "ToolBar4", "GainSpanToolBar"}) {
        const QList<QAction*> places = bar(name)->actions();
        for (qsizetype i = 0; i < places.size(); ++i) {
            QWidget* widget = bar(name)->widgetForAction(places[i]);
            if (!widget || !widget->isVisible())
                continue;
            QWidget* shown = widget;
            if (auto* box = qobject_cast<QComboBox*>(widget))
                shown = box->lineEdit();
            const QString text = captionOf(widget);
            if (text.isEmpty())
                continue;
            EXPECT_TRUE(bar(name)->rect().contains(widget->geometry()))
                << widget->objectName().toStdString() << " sticks out of " << name;
            const int textWidth = QFontMetrics(shown->font()).horizontalAdvance(text);
            const int room = textRoom(shown);
            const std::string what =
                widget->objectName().toStdString() + " \"" + text.toStdString() + "\"";
            ++checked;
            if (qobject_cast<QLabel*>(widget)) {
                EXPECT_LE(textWidth, room) << what;
                // The label's text ends clear of the next control.
                const int textEnd =
                    widget->geometry().left() + widget->contentsRect().left() + textWidth;
                for (qsizetype j = i + 1; j < places.size(); ++j)
                    if (QWidget* next = bar(name)->widgetForAction(places[j]);
                        next && next->isVisible()) {
                        EXPECT_GE(next->geometry().left() - textEnd, leastGap + 1) << what;
                        break;
                    }
            } else if (qobject_cast<QPushButton*>(widget)) {
                EXPECT_LE(textWidth + 2 * leastGap, room) << what << ": room " << room;
            } else {
                EXPECT_LE(textWidth, room) << what << ": room " << room;
            }
        }
    }
    EXPECT_GE(checked, 30); // every tool bar was walked
}

TEST_F(WindowLayoutTest, OnlyTheComEightyOneToNinetySubmenuCarriesAHint)
{
    for (const char* name :
         {"COM21to30", "COM31401", "COM41501", "COM51601", "COM61701", "COM71801", "COM911001"}) {
        QAction* group = control<QMenu>(name)->menuAction();
        EXPECT_EQ(group->toolTip(), group->text()) << name;
    }
    EXPECT_EQ(control<QMenu>("COM81901")->menuAction()->toolTip(), "COM81901");
}

TEST_F(WindowLayoutTest, TheStatusBarShowsSixPanelsOfTheirWidthsAtTheBottom)
{
    auto* statusBar = control<QStatusBar>("StatusBar1");
    ASSERT_NE(statusBar, nullptr);
    EXPECT_EQ(statusBar->height(), 19);
    EXPECT_EQ(statusBar->geometry().bottom(), window->rect().bottom());
    const int widths[] = {150, 60, 60, 60, 350, 50};
    int left = -1;
    for (int i = 0; i < 6; ++i) {
        auto* panel = control<QLabel>(QStringLiteral("Panel%1").arg(i));
        ASSERT_NE(panel, nullptr) << i;
        EXPECT_TRUE(panel->isVisible()) << i;
        EXPECT_EQ(panel->width(), widths[i]) << i;
        EXPECT_GT(panel->x(), left) << "panel " << i << " is out of order";
        left = panel->x();
        // The panel's text is not cut off at the top or the bottom.
        EXPECT_LE(panel->fontMetrics().height(), panel->contentsRect().height()) << i;
        EXPECT_LE(panel->mapTo(statusBar, panel->rect().bottomLeft()).y(), statusBar->height() - 1)
            << i;
    }
}

// Whether the image holds a pixel close to this colour: the text's strokes, anti-aliased.
bool holdsColourNear(const QImage& image, const QColor& colour, int tolerance)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (std::abs(c.red() - colour.red()) <= tolerance &&
                std::abs(c.green() - colour.green()) <= tolerance &&
                std::abs(c.blue() - colour.blue()) <= tolerance)
                return true;
        }
    return false;
}

TEST_F(WindowLayoutTest, TheTerminalListShowsItsColoursFontAndRowHeight)
{
    auto* list = control<QAbstractItemView>("ListBox1");
    ASSERT_NE(list, nullptr);
    peers.at(1)->send("MMMM MMMM\rWWWW WWWW\r");
    ASSERT_TRUE(QTest::qWaitFor([&] { return list->model()->rowCount() == 3; }, 5000));

    const QFont font = list->font();
    EXPECT_EQ(font.pixelSize(), 12);
    EXPECT_TRUE(QFontInfo(font).fixedPitch()) << QFontInfo(font).family().toStdString();
    const QRect first = list->visualRect(list->model()->index(0, 0));
    const QRect second = list->visualRect(list->model()->index(1, 0));
    EXPECT_EQ(first.height(), 13);
    EXPECT_EQ(second.top() - first.top(), 13);

    struct Colours {
        const char* name;
        QColor background;
        QColor text;
    };
    const Colours schemes[] = {
        {"blue on pale blue", QColor(232, 232, 255), QColor(0, 0, 255)},
        {"green on black", QColor(0, 0, 0), QColor(0, 255, 0)},
        {"blue on pale blue again", QColor(232, 232, 255), QColor(0, 0, 255)}};
    for (const Colours& scheme : schemes) {
        EXPECT_EQ(list->palette().color(QPalette::Base).name(), scheme.background.name())
            << scheme.name;
        EXPECT_EQ(list->palette().color(QPalette::Text).name(), scheme.text.name()) << scheme.name;
        list->clearSelection();
        const QImage shown = list->viewport()->grab().toImage();
        // Below the last row: the background alone.
        EXPECT_EQ(shown.pixelColor(shown.width() - 2, shown.height() - 2).name(),
                  scheme.background.name())
            << scheme.name;
        // The text's strokes reach at least half way from the background to the text colour.
        EXPECT_TRUE(holdsColourNear(shown, scheme.text, 128)) << scheme.name;
        action("OrvinTerminal")->trigger();
    }
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
