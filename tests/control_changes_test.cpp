// Controls changed other than by a key or a click: by an assistive technology (through the
// widgets' accessibility interfaces, as AT-SPI reaches them) or by the program. The bytes
// on the line must be those the control's handler sends, whatever changed it.
#include "WindowFixture.h"
#include "WireForms.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QAccessibleEditableTextInterface>
#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QTest>

namespace {

const QByteArray muxOn = "SET CONTROL MUX 1\r";
const QByteArray muxOffFrame = hexBytes("BF FF 00 11") + "SET CONTROL MUX 0" + hexBytes("00");

// How the Multiplex box's tick is changed.
struct TickRoute {
    const char* name;
    std::function<void(QCheckBox*)> change;
};

void PrintTo(const TickRoute& r, std::ostream* os) { *os << r.name; }

void doAccessibleAction(QWidget* widget, const QString& action)
{
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
    ASSERT_NE(accessible, nullptr);
    ASSERT_NE(accessible->actionInterface(), nullptr);
    ASSERT_TRUE(accessible->actionInterface()->actionNames().contains(action));
    accessible->actionInterface()->doAction(action);
}

class MultiplexBoxTest : public WindowFixture, public ::testing::WithParamInterface<TickRoute> {};

TEST_P(MultiplexBoxTest, EveryChangeOfTheTickRunsItsHandler)
{
    PtyPeer& module = plug(1);
    showWindow();
    auto* mux = control<QCheckBox>("MUX1");

    GetParam().change(mux);
    ASSERT_TRUE(QTest::qWaitFor([&] { return mux->isChecked(); }, 5000));
    EXPECT_EQ(hexOf(module.readExactly(muxOn.size())), hexOf(muxOn));
    EXPECT_TRUE(core().state().MUX1);
    EXPECT_EQ(core().state().muxLink, 255);
    EXPECT_EQ(mux->toolTip(), "SET CONTROL MUX 0");

    GetParam().change(mux);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !mux->isChecked(); }, 5000));
    EXPECT_EQ(hexOf(module.readExactly(muxOffFrame.size())), hexOf(muxOffFrame));
    EXPECT_FALSE(core().state().MUX1);
    EXPECT_EQ(core().state().muxLink, -1);
    EXPECT_EQ(hexOf(module.read(30)), "");
}

INSTANTIATE_TEST_SUITE_P(
    Routes, MultiplexBoxTest,
    ::testing::Values(
        TickRoute{"accessibleToggle",
                  [](QCheckBox* box) {
                      doAccessibleAction(box, QAccessibleActionInterface::toggleAction());
                  }},
        TickRoute{"program", [](QCheckBox* box) { box->setChecked(!box->isChecked()); }},
        TickRoute{"spaceKey", [](QCheckBox* box) { QTest::keyClick(box, Qt::Key_Space); }},
        TickRoute{"mouse", [](QCheckBox* box) { QTest::mouseClick(box, Qt::LeftButton); }}),
    [](const auto& info) { return std::string(info.param.name); });

// How text gets into the send box.
struct TextRoute {
    const char* name;
    std::function<void(QLineEdit*, const QString&)> put;
};

void PrintTo(const TextRoute& r, std::ostream* os) { *os << r.name; }

QAccessibleInterface* accessibleOf(QLineEdit* box)
{
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(box);
    EXPECT_NE(accessible, nullptr);
    return accessible;
}

class SendBoxTest : public WindowFixture, public ::testing::WithParamInterface<TextRoute> {};

TEST_P(SendBoxTest, SendSendsWhatTheBoxShows)
{
    PtyPeer& module = plug(1);
    showWindow();
    auto* sendBox = control<QLineEdit>("ESend");
    QTest::keyClicks(sendBox, "OLD");

    GetParam().put(sendBox, "AT+VER");
    ASSERT_EQ(sendBox->text(), "AT+VER");
    click("SendData");
    EXPECT_EQ(hexOf(module.readExactly(plain("AT+VER").size())), hexOf(plain("AT+VER")));
    EXPECT_EQ(hexOf(module.read(30)), "");
    EXPECT_EQ(sendBox->text(), "AT+VER");
}

INSTANTIATE_TEST_SUITE_P(Routes, SendBoxTest,
                         ::testing::Values(
                             // AT-SPI's SetTextContents replaces the whole text.
                             TextRoute{"accessibleReplace",
                                       [](QLineEdit* box, const QString& text) {
                                           QAccessibleInterface* a = accessibleOf(box);
                                           ASSERT_NE(a->editableTextInterface(), nullptr);
                                           a->editableTextInterface()->replaceText(
                                               0, a->textInterface()->characterCount(), text);
                                       }},
                             TextRoute{"accessibleValue",
                                       [](QLineEdit* box, const QString& text) {
                                           accessibleOf(box)->setText(QAccessible::Value, text);
                                       }},
                             TextRoute{"program", [](QLineEdit* box,
                                                     const QString& text) { box->setText(text); }},
                             TextRoute{"paste",
                                       [](QLineEdit* box, const QString& text) {
                                           QGuiApplication::clipboard()->setText(text);
                                           box->selectAll();
                                           box->paste();
                                       }}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
