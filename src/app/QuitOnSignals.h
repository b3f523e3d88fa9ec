#pragma once

#include <QObject>
#include <functional>

class QSocketNotifier;

// Ends the program cleanly when the session or a person asks it to stop (SIGTERM, SIGINT,
// SIGHUP), so that the port is closed and its lock file removed as on a normal exit.
// The signal handler only writes a byte into a pipe; the quitting runs in the event loop.
class QuitOnSignals : public QObject {
public:
    explicit QuitOnSignals(std::function<void()> quit, QObject* parent = nullptr);
    ~QuitOnSignals() override;

private:
    void onSignal();

    std::function<void()> m_quit;
    QSocketNotifier* m_notifier = nullptr;
};
