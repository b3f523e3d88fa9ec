#include "HandlerGate.h"

#include <QMetaObject>
#include <utility>

HandlerGate::HandlerGate(QObject* parent) : QObject(parent) {}

void HandlerGate::run(Handler handler)
{
    // Behind others already held, a handler that arrives waits its turn; one that a held
    // handler calls on its way is part of that handler and runs at once.
    const bool mustWait = pausing() || (holding() && !m_runningHeld);
    if (!mustWait) {
        handler();
        return;
    }
    m_held.push_back(std::move(handler));
    runHeldSoon();
}

Pause HandlerGate::guard(Pause pause)
{
    return [this, pause = std::move(pause)](int ms) {
        ++m_pauses;
        pause(ms);
        --m_pauses;
        if (holding())
            runHeldSoon();
    };
}

// Held handlers run from the event loop, never inside the code of the send that paused:
// the send's handler runs on to its end first.
void HandlerGate::runHeldSoon()
{
    if (std::exchange(m_runQueued, true))
        return;
    QMetaObject::invokeMethod(this, &HandlerGate::runHeld, Qt::QueuedConnection);
}

void HandlerGate::runHeld()
{
    m_runQueued = false;
    // Inside a pause the end of the pause asks again; inside a held handler (waiting in a
    // modal dialog) the loop below takes the rest once that handler returns.
    if (pausing() || m_runningHeld)
        return;
    m_runningHeld = true;
    while (holding()) {
        Handler next = std::move(m_held.front());
        m_held.pop_front();
        next();
    }
    m_runningHeld = false;
}
