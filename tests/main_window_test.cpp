// The main window, driven offscreen as a person would drive it.
#include "StatusBar.h"
#include "WindowFixture.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

namespace {

class MainWindowTest : public WindowFixture {
protected:
    QStringList checkedPortItems()
    {
        QStringList names;
        for (QAction* a : window->findChildren<QAction*>())
            if (a->isChecked() && a->objectName().startsWith("COM", Qt::CaseInsensitive))
                names.append(a->objectName());
        return names;
    }
};

TEST_F(MainWindowTest, FirstShowOpensComOne)
{
    plug(1);
    showWindow();
    EXPECT_EQ(window->windowTitle(), "Serivox COM1 115200 8N1- Online");
    EXPECT_EQ(window->statusPanels()->panelText(0), "COM1 115200 8N1- Online");
    EXPECT_EQ(checkedPortItems(), QStringList{"COM1"});
    EXPECT_TRUE(action("B115200")->isChecked());
    EXPECT_TRUE(action("NoParity1")->isChecked());
    EXPECT_TRUE(action("N8DataBits1")->isChecked());
    EXPECT_TRUE(action("N1stopbit1")->isChecked());
    EXPECT_FALSE(action("B9600")->isChecked());
    EXPECT_EQ(QApplication::focusWidget(), window->findChild<QWidget*>("ListBox1"));
    auto* mac = window->findChild<QComboBox*>("ComboBox1");
    ASSERT_NE(mac, nullptr);
    EXPECT_EQ(mac->currentText(), "Unknown MAC     ");
}

TEST_F(MainWindowTest, PortItemsSelectTheirOwnPort)
{
    plug(1);
    plug(29);
    showWindow();
    QAction* com29 = action("COM291");
    ASSERT_NE(com29, nullptr);
    EXPECT_EQ(com29->text(), "COM29");
    com29->trigger();
    EXPECT_EQ(window->windowTitle(), "Serivox COM29 115200 8N1- Online");
    EXPECT_EQ(checkedPortItems(), QStringList{"COM291"});

    action("COM1001")->trigger(); // not there
    EXPECT_EQ(prompts.messages, QStringList{"Unable to Open Port COM100"});
    EXPECT_EQ(window->windowTitle(), "Serivox COM100 - OffLine");
    EXPECT_EQ(checkedPortItems(), QStringList{"COM1001"});
}

TEST_F(MainWindowTest, MenusHoldEveryPortAndParameter)
{
    showWindow();
    QStringList menus;
    for (QAction* a : window->menuBar()->actions())
        menus.append(a->text());
    EXPECT_EQ(menus, (QStringList{"&File", "COM", "Parameters", "View", "Commands", "Help"}));
    EXPECT_EQ(action("COM1")->text(), "COM&1");
    EXPECT_EQ(action("COM10")->text(), "COM1&0");
    EXPECT_EQ(action("Com18")->text(), "COM18");
    EXPECT_EQ(action("COM211")->text(), "COM21");
    for (int port = 1; port <= 100; ++port) {
        const QString caption = QStringLiteral("COM%1").arg(port);
        int found = 0;
        for (QAction* a : window->findChildren<QAction*>())
            if (QString(a->text()).remove('&') == caption && a->isCheckable())
                ++found;
        EXPECT_EQ(found, 1) << port;
    }
    auto* group = window->findChild<QMenu*>("COM911001");
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->title(), "COM91-100");
    EXPECT_EQ(group->actions().size(), 10);
}

TEST_F(MainWindowTest, ParametersAndOptionsAreCheckItems)
{
    PtyPeer& module = plug(1);
    showWindow();
    action("B9600")->trigger();
    action("EvenParity1")->trigger();
    EXPECT_EQ(window->windowTitle(), "Serivox COM1 9600 8E1- Online");
    EXPECT_TRUE(action("B9600")->isChecked());
    EXPECT_FALSE(action("B115200")->isChecked());

    action("Echo1")->trigger();
    EXPECT_TRUE(action("Echo1")->isChecked());
    EXPECT_EQ(window->statusPanels()->panelText(2), "Echo");
    action("HexMode")->trigger();
    EXPECT_EQ(window->statusPanels()->panelText(3), "Hex");

    module.send("OK\r");
    auto* list = window->findChild<QAbstractItemView*>("ListBox1");
    ASSERT_NE(list, nullptr);
    EXPECT_TRUE(QTest::qWaitFor([&] { return list->model()->rowCount() == 2; }, 3000));
    EXPECT_EQ(list->model()->index(0, 0).data().toString(), "4F 4B 0D ");
    EXPECT_EQ(list->model()->index(1, 0).data().toString(), "RX<= ");
    action("Clear2")->trigger();
    EXPECT_EQ(list->model()->rowCount(), 0);
}

TEST_F(MainWindowTest, TheNewestLineStaysInView)
{
    PtyPeer& module = plug(1);
    showWindow();
    QByteArray many;
    for (int i = 0; i < 300; ++i)
        many += "line " + QByteArray::number(i) + "\r";
    module.send(many + "last");
    auto* list = window->findChild<QAbstractItemView*>("ListBox1");
    ASSERT_TRUE(QTest::qWaitFor([&] { return list->model()->rowCount() == 301; }, 5000));
    QTest::qWait(50);
    const QModelIndex newest = list->model()->index(300, 0);
    EXPECT_EQ(newest.data().toString(), "last");
    EXPECT_TRUE(list->viewport()->rect().intersects(list->visualRect(newest)));
    EXPECT_FALSE(list->viewport()->rect().intersects(list->visualRect(list->model()->index(0, 0))));
}

TEST_F(MainWindowTest, TheSendBoxHoldsWhatIsTypedAndWhatTheTerminalPutsThere)
{
    showWindow();
    auto* sendBox = window->findChild<QLineEdit*>("ESend");
    ASSERT_NE(sendBox, nullptr);
    QTest::keyClicks(sendBox, "AT+VER");
    QTest::keyClick(sendBox, Qt::Key_Return); // Enter sends nothing
    EXPECT_EQ(window->core().shown().sendBox(), "AT+VER");
    const QString longText = QString(40000, QLatin1Char('a')) + QLatin1Char('\r');
    window->core().shown().setSendBox(longText);
    EXPECT_EQ(sendBox->text(), longText);
    QTest::keyClick(sendBox, Qt::Key_End);
    QTest::keyClicks(sendBox, "b");
    EXPECT_EQ(window->core().shown().sendBox(), longText + "b");
}

TEST_F(MainWindowTest, WhatIsTypedIntoTheWindowGoesToTheModule)
{
    PtyPeer& module = plug(1);
    showWindow();
    QTest::keyClicks(QApplication::focusWidget(), "AT");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(module.readExactly(3), QByteArray("AT\r"));
}

} // namespace
