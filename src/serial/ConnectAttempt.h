#pragma once

#include <QString>
#include <memory>

// Resolving a name and connecting to it, on a thread of its own: a name server or a host
// that does not answer can take minutes, and the window's thread only ever waits a bounded
// while for the outcome. An attempt nobody waits for any more finishes by itself and
// closes what it connected.
class ConnectAttempt {
public:
    // Starts resolving `host` and connecting to `port`; the attempt gives up after `giveUpMs`.
    static std::shared_ptr<ConnectAttempt> start(const QString& host, quint16 port, int giveUpMs);
    ~ConnectAttempt();

    // Waits at most `waitMs` for the outcome; true once there is one.
    bool awaitOutcome(int waitMs);
    // The connected socket (non-blocking, TCP_NODELAY), handed over once; -1 when the attempt
    // failed or is still running.
    int takeSocket();
    // Why the attempt failed ("connection refused"), once it has.
    QString failure() const;

    struct State;

private:
    explicit ConnectAttempt(std::shared_ptr<State> state) : m_state(std::move(state)) {}
    std::shared_ptr<State> m_state;
};
