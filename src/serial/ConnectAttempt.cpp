#include "ConnectAttempt.h"

#include <QByteArray>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <utility>

using Clock = std::chrono::steady_clock;

struct ConnectAttempt::State {
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    int socket = -1;
    QString failure;

    ~State()
    {
        if (socket >= 0)
            ::close(socket);
    }
};

namespace {

QString resolveFailure(int code)
{
    switch (code) {
    case EAI_NONAME:
#ifdef EAI_NODATA
    case EAI_NODATA:
#endif
        return QStringLiteral("no host of that name is known");
    case EAI_AGAIN:
        return QStringLiteral("the name could not be looked up (no name server answered)");
    default: return QString::fromLocal8Bit(::gai_strerror(code));
    }
}

QString connectFailure(int error)
{
    switch (error) {
    case ECONNREFUSED: return QStringLiteral("connection refused");
    case ETIMEDOUT: return QStringLiteral("no answer from the host");
    case EHOSTUNREACH:
    case ENETUNREACH: return QStringLiteral("the host cannot be reached");
    default: return QString::fromLocal8Bit(std::strerror(error)).toLower();
    }
}

int remainingMs(Clock::time_point deadline)
{
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return left.count() > 0 ? int(left.count()) : 0;
}

// One address: a connected socket, or -1 with the error in `error`.
int connectTo(const addrinfo& a, Clock::time_point deadline, int* error)
{
    const int s =
        ::socket(a.ai_family, a.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a.ai_protocol);
    if (s < 0) {
        *error = errno;
        return -1;
    }
    int failed = ::connect(s, a.ai_addr, a.ai_addrlen) == 0 ? 0 : errno;
    if (failed == EINPROGRESS) {
        pollfd p{s, POLLOUT, 0};
        const int ready = ::poll(&p, 1, remainingMs(deadline));
        socklen_t length = sizeof failed;
        if (ready <= 0)
            failed = ETIMEDOUT;
        else if (::getsockopt(s, SOL_SOCKET, SO_ERROR, &failed, &length) != 0)
            failed = errno;
    }
    if (failed) {
        ::close(s);
        *error = failed;
        return -1;
    }
    // Each byte the terminal paces out leaves in a segment of its own, at once.
    const int on = 1;
    ::setsockopt(s, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    return s;
}

void run(const std::shared_ptr<ConnectAttempt::State>& state, const QByteArray& host,
         const QByteArray& port, int giveUpMs)
{
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(giveUpMs);
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV;
    addrinfo* found = nullptr;
    int socket = -1;
    QString failure;
    if (const int code = ::getaddrinfo(host.constData(), port.constData(), &hints, &found)) {
        failure = resolveFailure(code);
    } else {
        int error = ETIMEDOUT;
        for (const addrinfo* a = found; a && socket < 0 && remainingMs(deadline) > 0;
             a = a->ai_next)
            socket = connectTo(*a, deadline, &error);
        ::freeaddrinfo(found);
        if (socket < 0)
            failure = connectFailure(error);
    }
    std::lock_guard lock(state->mutex);
    state->socket = socket;
    state->failure = failure;
    state->done = true;
    state->finished.notify_all();
}

} // namespace

std::shared_ptr<ConnectAttempt> ConnectAttempt::start(const QString& host, quint16 port,
                                                      int giveUpMs)
{
    auto state = std::make_shared<State>();
    std::thread(run, state, host.toUtf8(), QByteArray::number(port), giveUpMs).detach();
    return std::shared_ptr<ConnectAttempt>(new ConnectAttempt(std::move(state)));
}

ConnectAttempt::~ConnectAttempt() = default;

bool ConnectAttempt::awaitOutcome(int waitMs)
{
    std::unique_lock lock(m_state->mutex);
    return m_state->finished.wait_for(lock, std::chrono::milliseconds(waitMs),
                                      [this] { return m_state->done; });
}

int ConnectAttempt::takeSocket()
{
    std::lock_guard lock(m_state->mutex);
    return std::exchange(m_state->socket, -1);
}

QString ConnectAttempt::failure() const
{
    std::lock_guard lock(m_state->mutex);
    return m_state->failure;
}
