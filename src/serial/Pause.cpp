#include "Pause.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <chrono>
#include <thread>

namespace {

bool pausesTakeUserInput = false;

bool onTheEventLoopsThread()
{
    const QCoreApplication* app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

} // namespace

// A send paces its bytes 10 ms apart on the window's thread and returns after its last byte,
// so its handler still runs to its end and nothing else is sent in between. The pause does
// not sleep, though: it waits in an event loop of its own, so that meanwhile the window
// paints, the window manager's liveness pings and accessibility calls are answered.
//
// What the blocking pause guaranteed still holds:
//  - Nothing the user does runs inside the send. The loop excludes user input: key presses
//    and clicks stay queued by the platform and are delivered after the send, in their
//    order, exactly as behind a blocked window. What can arrive without user input (an
//    accessibility client's action, a close request, the receive tick, a stop signal)
//    enters through the terminal core's HandlerGate, which holds it until the send ends.
//    A file download takes user input in its pauses so that a person can stop it; its
//    filter (ui/DownloadInput) holds everything else for after the download.
//  - The pacing: the pause lasts at least its time; if the loop ends early (the program is
//    quitting), the rest is slept.
Pause realPause()
{
    return [](int ms) {
        if (ms <= 0)
            return;
        const QDeadlineTimer deadline(ms, Qt::PreciseTimer);
        if (onTheEventLoopsThread()) {
            QEventLoop wait;
            QTimer::singleShot(ms, Qt::PreciseTimer, &wait, &QEventLoop::quit);
            wait.exec(pausesTakeUserInput ? QEventLoop::AllEvents
                                          : QEventLoop::ExcludeUserInputEvents);
        }
        const qint64 left = deadline.remainingTimeNSecs();
        if (left > 0)
            std::this_thread::sleep_for(std::chrono::nanoseconds(left));
    };
}

void setPausesTakeUserInput(bool take) { pausesTakeUserInput = take; }
