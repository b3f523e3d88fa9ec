// A paced send keeps the window alive, and whatever comes in meanwhile waits for the send to
// end: on the wire nothing changes order, and nothing runs inside the send.
#include "WindowFixture.h"

#include <QAbstractScrollArea>
#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QAction>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMetaObject>
#include <QTest>

namespace {

const QString sendBoxText = QStringLiteral("ABCDEFGHIJKLMNOPQRST");
// The Send button writes CR, the text, CR, LF.
const QByteArray sendBoxWire = "\r" + sendBoxText.toLatin1() + "\r\n";

class PacedSendWindowTest : public WindowFixture {
public:
    QWidget* terminalList() const { return control<QWidget>("ListBox1"); }
    using WindowFixture::control;

protected:
    QByteArray wire() const { return clock.writtenBytes(); }

    // Opens COM1 and fills the send box, with nothing yet on the wire.
    void readyToSend()
    {
        plug(1);
        showWindow();
        control<QLineEdit>("ESend")->setText(sendBoxText);
        clock.forget();
    }

    // What "SCR1" (S<LF>) writes when it runs on its own.
    QByteArray wireOfMenuCommand()
    {
        action("SCR1")->trigger();
        const QByteArray alone = wire();
        clock.forget();
        return alone;
    }
};

struct Arrival {
    const char* name;
    // Something that happens while the send is being paced, before a menu command is chosen.
    std::function<void(PacedSendWindowTest&)> happen;
};

void PrintTo(const Arrival& a, std::ostream* os) { *os << a.name; }

class ArrivalDuringASend : public PacedSendWindowTest,
                           public ::testing::WithParamInterface<Arrival> {};

// Whatever arrives while the send box is being sent goes to the module after its last byte,
// as it would behind a window that the send blocked.
TEST_P(ArrivalDuringASend, RunsAfterTheSendInTheOrderItCame)
{
    readyToSend();
    GetParam().happen(*this);
    const QByteArray itsWireAlone = wire();
    clock.forget();
    const QByteArray menuCommand = wireOfMenuCommand();
    bool sendWasPausing = false;
    clock.during(clock.now() + 50, [&] {
        sendWasPausing = core().gate().pausing();
        GetParam().happen(*this);
        action("SCR1")->trigger();
    });
    click("SendData");
    EXPECT_TRUE(sendWasPausing);
    EXPECT_EQ(hexOf(wire()), hexOf(sendBoxWire)) << "nothing runs inside the send";

    const QByteArray expected = sendBoxWire + itsWireAlone + menuCommand;
    EXPECT_TRUE(QTest::qWaitFor([&] { return wire().size() >= expected.size(); }, 5000));
    EXPECT_EQ(hexOf(wire()), hexOf(expected));
}

void pressBT_SETThroughAccessibility(PacedSendWindowTest& t)
{
    QAccessibleInterface* button =
        QAccessible::queryAccessibleInterface(t.control<QWidget>("BT_SET"));
    button->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
}

void typeXYInTheTerminalList(PacedSendWindowTest& t)
{
    QTest::keyClick(t.terminalList(), Qt::Key_X);
    QTest::keyClick(t.terminalList(), Qt::Key_Y);
}

INSTANTIATE_TEST_SUITE_P(
    Arrivals, ArrivalDuringASend,
    ::testing::Values(Arrival{"keysInTheTerminalList", &typeXYInTheTerminalList},
                      Arrival{"aButtonPressedByAnAccessibilityClient",
                              &pressBT_SETThroughAccessibility},
                      Arrival{"aMenuCommandAlone", [](PacedSendWindowTest&) {}}),
    [](const auto& info) { return std::string(info.param.name); });

// A close request during a send closes the window once the send is over: the whole text
// has gone out, and the settings are kept as at any other exit.
TEST_F(PacedSendWindowTest, ACloseRequestDuringASendClosesTheWindowAfterIt)
{
    readyToSend();
    bool stillShownAfterTheRequest = false;
    clock.during(clock.now() + 50, [&] {
        window->close();
        stillShownAfterTheRequest = window->isVisible();
    });
    click("SendData");
    EXPECT_TRUE(stillShownAfterTheRequest);
    EXPECT_EQ(hexOf(wire()), hexOf(sendBoxWire));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !window->isVisible(); }, 5000));
    EXPECT_TRUE(QFile::exists(core().startUp().settingsFile()));
}

// Counts the paint events of the widgets it watches.
class PaintCounter : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

// With the real pause the window's event loop runs between the bytes of a send: it paints
// and takes posted events, while key presses, actions and the receive tick wait for the end.
TEST_F(PacedSendWindowTest, TheRealPauseKeepsTheWindowServedAndHoldsEverythingElse)
{
    PtyPeer& module = plug(1);
    TerminalPlatform platform = profile.platform(clock);
    const Pause real = realPause();
    int pausesIntoTheSend = -1;
    bool arrivedInsideThePause = false, postedEventRan = false;
    PaintCounter painted;
    int paintsBefore = 0;
    // Things happen from inside the send's fourth pause's own event loop, whatever the
    // machine's pace.
    platform.pause = [&](int ms) {
        if (pausesIntoTheSend >= 0 && ++pausesIntoTheSend == 4)
            QMetaObject::invokeMethod(
                window.get(),
                [&] {
                    arrivedInsideThePause = core().gate().pausing();
                    module.send("OK\r");
                    QCoreApplication::postEvent(
                        terminalList(),
                        new QKeyEvent(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, "x"));
                    action("SCR1")->trigger();
                    paintsBefore = painted.paints;
                    control<QAbstractScrollArea>("ListBox1")->viewport()->update();
                    QMetaObject::invokeMethod(
                        window.get(), [&] { postedEventRan = core().gate().pausing(); },
                        Qt::QueuedConnection);
                },
                Qt::QueuedConnection);
        real(ms);
    };
    window = std::make_unique<TMain>(platform, &prompts);
    showWindow();
    control<QAbstractScrollArea>("ListBox1")->viewport()->installEventFilter(&painted);
    const QByteArray menuCommand = wireOfMenuCommand();
    control<QLineEdit>("ESend")->setText(sendBoxText);
    clock.forget();

    pausesIntoTheSend = 0;
    click("SendData");
    EXPECT_TRUE(arrivedInsideThePause);
    EXPECT_TRUE(postedEventRan);
    EXPECT_GT(painted.paints, paintsBefore) << "the window painted during the send";
    EXPECT_EQ(hexOf(wire()), hexOf(sendBoxWire)) << "nothing runs inside the send";
    EXPECT_FALSE(core().lines().lastLine().contains("OK")) << "the reply waits in the port";

    // The menu command came first (triggered at once), the key when its event was delivered.
    const QByteArray expected = sendBoxWire + menuCommand + "x";
    EXPECT_TRUE(QTest::qWaitFor([&] { return wire().size() >= expected.size(); }, 5000));
    EXPECT_EQ(hexOf(wire()), hexOf(expected));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            for (int i = 0; i < core().lines().count(); ++i)
                if (core().lines().line(i).contains("OK"))
                    return true;
            return false;
        },
        5000));
}

} // namespace
