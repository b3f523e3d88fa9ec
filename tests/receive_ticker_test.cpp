// Timer1 sleeps while the open port is quiet, and wakes for bytes, for a lost port and for
// a handler that changes what the ticks do.
#include "Receiver.h"
#include "TerminalCore.h"
#include "WindowFixture.h"

#include <QTest>
#include <QTimer>
#include <functional>
#include <vector>

namespace {

// The turns of a timer, each noted with the interval the timer had then: a sleep that ran its
// course turns with the sleep's length, a woken or ordinary tick with at most one tick's.
class TimerTurns : public QObject {
public:
    explicit TimerTurns(QTimer& timer) : m_timer(timer) { timer.installEventFilter(this); }
    // Notes the turns that come while `until` does not hold yet, and the one that makes it.
    void noteUntil(std::function<bool()> until)
    {
        intervals.clear();
        m_until = std::move(until);
    }
    std::vector<int> intervals;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == &m_timer && event->type() == QEvent::Timer && m_until && !m_until())
            intervals.push_back(m_timer.interval());
        return false;
    }

private:
    QTimer& m_timer;
    std::function<bool()> m_until;
};

class ReceiveTickerTest : public WindowFixture {
protected:
    QTimer* timer1() { return core().receiver().findChild<QTimer*>("Timer1"); }
    bool asleep() { return timer1()->isActive() && timer1()->interval() > 10; }
    bool waitAsleep()
    {
        return QTest::qWaitFor([&] { return asleep(); }, 10'000);
    }
    bool lastLineIs(const QString& text)
    {
        const TerminalLines& lines = core().lines();
        return lines.count() >= 2 && lines.line(lines.count() - 2) == text;
    }
};

TEST_F(ReceiveTickerTest, AQuietPortLetsItSleepAndBytesWakeIt)
{
    PtyPeer& module = plug(1);
    showWindow();
    ASSERT_TRUE(waitAsleep()) << "Timer1 kept ticking every 10 ms on a quiet port";
    // The sleep stands for the ticks up to the next port check, no more.
    EXPECT_LE(timer1()->interval(), 51 * 10);

    // Each reply comes early in a sleep, and must be taken on the next turn of Timer1, woken
    // by the port, not when the sleep runs out hundreds of milliseconds later.
    TimerTurns turns(*timer1());
    for (const char* reply : {"OK", "READY."}) {
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return asleep() && timer1()->remainingTime() > 200; }, 10'000));
        turns.noteUntil([this, reply] { return lastLineIs(reply); });
        module.send(QByteArray(reply) + "\r");
        EXPECT_TRUE(QTest::qWaitFor([&] { return lastLineIs(reply); }, 10'000)) << reply;
        EXPECT_LE(turns.intervals.size(), 2u) << reply;
        for (const int interval : turns.intervals)
            EXPECT_LE(interval, Receiver::tickMs)
                << reply << " waited for a sleep of " << interval << " ms to run out";
        EXPECT_TRUE(waitAsleep()) << "it did not sleep again after " << reply;
    }
}

// The port check still comes round while it sleeps: a module unplugged then shows offline,
// the ticks go back to every 10 ms to reopen it, and it comes back by itself.
TEST_F(ReceiveTickerTest, APortLostWhileItSleepsIsNoticedAndReopened)
{
    PtyPeer& module = plug(1);
    showWindow();
    ASSERT_TRUE(waitAsleep());
    module.unplug();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !core().io().isOpen(); }, 10'000));
    EXPECT_TRUE(core().shown().panel(0).endsWith(" - OffLine"))
        << core().shown().panel(0).toStdString();
    EXPECT_EQ(timer1()->interval(), 10);
    module.plugBack();
    profile.link(1, module.devicePath());
    EXPECT_TRUE(QTest::qWaitFor([&] { return core().io().isOpen(); }, 10'000));
    EXPECT_TRUE(waitAsleep());
}

// A port chosen from the menu while it sleeps: a port that fails to open is retried on the
// ticks at once, and one that opens is read.
TEST_F(ReceiveTickerTest, APortChosenWhileItSleepsWakesIt)
{
    plug(1);
    showWindow();
    ASSERT_TRUE(waitAsleep());
    click("COM2"); // not there
    EXPECT_FALSE(asleep());
    PtyPeer& second = plug(2);
    ASSERT_TRUE(QTest::qWaitFor([&] { return core().io().isOpen(); }, 10'000));
    EXPECT_EQ(core().shown().panel(0), "COM2 115200 8N1- Online");
    second.send("CONNECT\r");
    EXPECT_TRUE(QTest::qWaitFor([&] { return lastLineIs("CONNECT"); }, 10'000));
}

} // namespace
