#include "ReceiveTicker.h"

#include "TerminalCore.h"

#include <algorithm>

ReceiveTicker::ReceiveTicker(TerminalCore& core, QObject* parent)
    : QObject(parent), m_core(core), m_timer(this)
{
    m_timer.setObjectName(QStringLiteral("Timer1"));
    connect(&m_timer, &QTimer::timeout, this, &ReceiveTicker::tick);
    // The port opened or closed, or the capture prompt began to count down: what the next
    // receive ticks do has changed, and a sleeping ticker must wake.
    connect(&m_core.portControl(), &PortControl::portChanged, this, &ReceiveTicker::wake);
    connect(&m_core.capture(), &CaptureControl::promptStarted, this, &ReceiveTicker::wake);
    m_core.io().setArrivalNotice([this] { wake(); });
    m_timer.start(tickMs);
}

void ReceiveTicker::stop()
{
    m_stopped = true;
    m_timer.stop();
    m_core.io().setArrivalNotice({});
    m_core.io().watchArrivals(true);
}

int ReceiveTicker::ticksSlept() const
{
    return std::min(m_ticksToSleep, int(m_asleepSince.elapsed() / tickMs));
}

void ReceiveTicker::tick()
{
    if (m_ticksToSleep > 0) {
        m_core.receiver().skipQuietTicks(ticksSlept());
        m_ticksToSleep = 0;
    }
    m_core.receiver().Timer1Timer();
    sleepOrTick();
}

void ReceiveTicker::sleepOrTick()
{
    if (m_stopped)
        return;
    m_ticksToSleep = m_core.receiver().quietTicksAhead();
    // Ticking at a line's pace, the port is read every 10 ms and need not wake the loop for
    // every chunk in between. Asleep, while a send pauses and no tick reads, and while bytes
    // come faster than a serial line's ordinary pace (a flood, or a line above about 1.5
    // Mbaud), the port takes in what arrives as it comes: the driver's own buffer of a few
    // kilobytes must never fill between two ticks.
    const bool flood = m_core.receiver().lastTickBytes() >= floodBytesPerTick;
    m_core.io().watchArrivals(m_ticksToSleep > 0 || m_core.gate().pausing() || flood);
    if (m_ticksToSleep == 0) {
        if (m_timer.interval() != tickMs)
            m_timer.start(tickMs);
        return;
    }
    // The tick after the quiet ones is due when they would all have run.
    m_asleepSince.start();
    m_timer.start((m_ticksToSleep + 1) * tickMs);
}

// The next tick runs as soon as the event loop turns: a tick never runs inside the port's
// own signal, nor inside the handler that changed what ticks do.
void ReceiveTicker::wake()
{
    if (m_stopped || m_ticksToSleep == 0)
        return;
    m_timer.start(0);
}
