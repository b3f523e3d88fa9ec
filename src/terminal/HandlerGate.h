#pragma once

#include "Pause.h"

#include <QObject>
#include <deque>
#include <functional>

// Keeps the window's handlers running one at a time while sends are paced without
// freezing the window.
//
// A send paces its bytes with pauses, and the real pause waits in an event loop of its own
// so that the window keeps painting and answering the desktop meanwhile (see Pause.cpp).
// Everything that could start another handler inside that loop comes through here:
//  - a handler entered during a pause (a menu action triggered by an accessibility client,
//    a key press delivered by code, a close request, the input a person gives during a file
//    download: see ui/DownloadInput) is held, and the held handlers run after the send, in
//    the order they came, each to its end;
//  - the receive tick asks pausing() and skips its turn, so replies wait in the port until
//    the send ends, as they would behind a send that blocked the window.
// Outside pauses a handler runs at once, as before; modal dialogs keep their own loops in
// which the receive tick runs.
class HandlerGate : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<void()>;

    explicit HandlerGate(QObject* parent = nullptr);

    // Runs the handler now, or holds it until the paced send in progress has ended.
    void run(Handler handler);
    // Wraps a pause so that the gate knows while it waits.
    Pause guard(Pause pause);
    bool pausing() const { return m_pauses > 0; }
    bool holding() const { return !m_held.empty(); }

private:
    void runHeldSoon();
    void runHeld();

    int m_pauses = 0;
    bool m_runningHeld = false;
    bool m_runQueued = false;
    std::deque<Handler> m_held;
};
