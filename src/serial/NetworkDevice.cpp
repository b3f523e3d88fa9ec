#include "NetworkDevice.h"

#include <algorithm>
#include <cerrno>
#include <libtelnet.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// What the terminal agrees to: binary transmission both ways (so that CR NUL and 0xFF pass
// untouched), no go-ahead, and the COM-PORT option as its client. Anything else is refused.
const telnet_telopt_t telnetOptions[] = {
    {TELNET_TELOPT_BINARY, TELNET_WILL, TELNET_DO},
    {TELNET_TELOPT_SGA, TELNET_WILL, TELNET_DO},
    {ComPortOption::telnetOption, TELNET_WILL, TELNET_DONT},
    {-1, 0, 0},
};

// One read of the socket takes at most this much, so that a flood cannot hold a tick.
constexpr qsizetype chunkBytes = 64 * 1024;
constexpr qsizetype mostBytesPerRead = 16 * chunkBytes;
// Closing waits this long for the server to let the connection go, so that an open that
// follows at once (a change of the line settings) does not find the port still taken.
constexpr int closeWaitMs = 200;

int msUntil(std::chrono::steady_clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    return int(std::max<qint64>(0, left.count()));
}

void noTelnet(telnet_t*) {}

} // namespace

NetworkDevice::NetworkDevice() : m_telnet(nullptr, noTelnet) {}

NetworkDevice::~NetworkDevice() { close(); }

bool NetworkDevice::open(const QString& path, const LineSettings& settings, QString* why)
{
    close();
    const Clock::time_point deadline =
        Clock::now() + std::chrono::milliseconds(m_surveying ? probeWaitMs : openWaitMs);
    QString reason;
    const std::optional<NetworkAddress> address = NetworkAddress::parse(path, &reason);
    bool opened = false;
    if (address && (address->kind == NetworkAddress::Kind::RawTcp ||
                    ComPortOption::valid(settings, &reason))) {
        m_socket = connectedSocket(*address, deadline, &reason);
        opened = m_socket >= 0 && (address->kind == NetworkAddress::Kind::RawTcp ||
                                   agreeLineSettings(settings, deadline, &reason));
        if (m_socket >= 0 && !opened)
            reason = address->hostAndPort() + QStringLiteral(": ") + reason;
    }
    m_lastFailedFor = opened || !address ? QString() : address->hostAndPort();
    if (!opened) {
        close();
        if (why)
            *why = reason;
        return false;
    }
    watchSocket();
    return true;
}

// A socket connected to the address, from the attempt under way or a new one; -1 with the
// reason in `why` when there is none by the deadline.
int NetworkDevice::connectedSocket(const NetworkAddress& address, Clock::time_point deadline,
                                   QString* why)
{
    const QString name = address.hostAndPort();
    // An attempt that an earlier open left running is only looked at; a new one is awaited,
    // briefly when it follows a failed open of the same port (the terminal's reopens).
    const bool running = m_attempt && m_attemptFor == name;
    if (!running) {
        m_attempt = ConnectAttempt::start(address.host, address.port, attemptGiveUpMs);
        m_attemptFor = name;
    }
    const int waitMs = running                   ? 0
                       : m_lastFailedFor == name ? std::min(retryWaitMs, msUntil(deadline))
                                                 : msUntil(deadline);
    if (!m_attempt->awaitOutcome(waitMs)) {
        *why = name + (waitMs == 0
                           ? QStringLiteral(": no answer yet (still trying)")
                           : QStringLiteral(": no answer within %1 ms (still trying)").arg(waitMs));
        return -1;
    }
    const int socket = m_attempt->takeSocket();
    if (socket < 0)
        *why = name + QStringLiteral(": ") + m_attempt->failure();
    m_attempt.reset();
    return socket;
}

// Opens the Telnet session and sets the line: the COM-PORT option first, then each setting,
// until the server has answered them all.
bool NetworkDevice::agreeLineSettings(const LineSettings& settings, Clock::time_point deadline,
                                      QString* why)
{
    m_telnet = {telnet_init(telnetOptions, telnetEvent, 0, this), telnet_free};
    m_settings.emplace(settings);
    m_comPortAccepted = m_comPortRefused = false;
    m_writeLimitMs = msUntil(deadline);
    telnet_negotiate(m_telnet.get(), TELNET_WILL, ComPortOption::telnetOption);
    telnet_negotiate(m_telnet.get(), TELNET_WILL, TELNET_TELOPT_BINARY);
    telnet_negotiate(m_telnet.get(), TELNET_DO, TELNET_TELOPT_BINARY);
    while (!m_hungUp && !m_comPortRefused && !m_settings->allAnswered() &&
           awaitReadable(msUntil(deadline)))
        takeArrived(m_early);
    if (m_comPortRefused)
        *why = QStringLiteral("the server does not let the line settings be set (no RFC 2217); "
                              "link the port as tcp://HOST:PORT to use it as it is set");
    else if (!m_settings->notTaken().isEmpty())
        *why = QStringLiteral("the server could not take ") +
               m_settings->notTaken().join(QStringLiteral(", "));
    else if (m_hungUp)
        *why = QStringLiteral("the server closed the connection") +
               (m_early.trimmed().isEmpty()
                    ? QString()
                    : QStringLiteral(" (\"%1\")").arg(QString::fromLatin1(m_early.trimmed())));
    else if (!m_settings->allAnswered())
        *why = QStringLiteral("no answer to the line settings (%1)")
                   .arg(m_settings->unanswered().join(QStringLiteral(", ")));
    else
        return true;
    return false;
}

void NetworkDevice::telnetEvent(telnet_t*, telnet_event_t* event, void* self)
{
    static_cast<NetworkDevice*>(self)->onTelnetEvent(*event);
}

void NetworkDevice::onTelnetEvent(const telnet_event_t& event)
{
    switch (event.type) {
    case TELNET_EV_DATA:
        if (m_into)
            m_into->append(event.data.buffer, qsizetype(event.data.size));
        break;
    case TELNET_EV_SEND: sendAll(event.data.buffer, event.data.size, m_writeLimitMs); break;
    case TELNET_EV_DO:
        if (event.neg.telopt == ComPortOption::telnetOption && !m_comPortAccepted && m_settings) {
            m_comPortAccepted = true;
            for (const QByteArray& request : m_settings->requests())
                telnet_subnegotiation(m_telnet.get(), ComPortOption::telnetOption,
                                      request.constData(), size_t(request.size()));
        }
        break;
    case TELNET_EV_DONT:
    case TELNET_EV_WONT:
        if (event.neg.telopt == ComPortOption::telnetOption)
            m_comPortRefused = true;
        break;
    case TELNET_EV_SUBNEGOTIATION:
        if (event.sub.telopt == ComPortOption::telnetOption && m_settings)
            m_settings->takeAnswer(QByteArray(event.sub.buffer, qsizetype(event.sub.size)));
        break;
    case TELNET_EV_ERROR:
        // The stream cannot be followed any more: the port is as good as lost.
        m_hungUp = true;
        break;
    default: break;
    }
}

void NetworkDevice::watchSocket()
{
    m_notifier = std::make_unique<QSocketNotifier>(m_socket, QSocketNotifier::Read);
    // Like a serial port's own notifier, it rests from one notice until the next read.
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(), [this] {
        m_notifier->setEnabled(false);
        if (m_arrivalNotice)
            m_arrivalNotice();
    });
    m_notifier->setEnabled(m_watching);
}

void NetworkDevice::close()
{
    m_notifier.reset();
    if (m_socket >= 0) {
        ::shutdown(m_socket, SHUT_WR);
        // The server sees the end and lets go; what it still sends is dropped.
        QByteArray dropped;
        const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(closeWaitMs);
        while (!m_hungUp && awaitReadable(msUntil(deadline)))
            takeArrived(dropped);
        ::close(m_socket);
        m_socket = -1;
    }
    m_telnet.reset();
    m_settings.reset();
    m_early.clear();
    m_hungUp = false;
}

void NetworkDevice::endSurvey()
{
    m_surveying = false;
    // A probe's failure does not shorten the wait of the open a person asks for next.
    m_lastFailedFor.clear();
}

bool NetworkDevice::awaitReadable(int waitMs)
{
    pollfd p{m_socket, POLLIN, 0};
    return ::poll(&p, 1, waitMs) > 0;
}

void NetworkDevice::takeArrived(QByteArray& into)
{
    m_into = &into;
    char chunk[chunkBytes];
    for (qsizetype taken = 0; !m_hungUp && taken < mostBytesPerRead;) {
        const ssize_t n = ::recv(m_socket, chunk, sizeof chunk, MSG_DONTWAIT);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            break;
        if (n <= 0) {
            // The server closed the connection, or it broke.
            m_hungUp = true;
            break;
        }
        if (m_telnet)
            telnet_recv(m_telnet.get(), chunk, size_t(n));
        else
            into.append(chunk, n);
        taken += n;
    }
    m_into = nullptr;
}

bool NetworkDevice::stateReadable()
{
    if (m_socket < 0 || m_hungUp)
        return false;
    pollfd p{m_socket, POLLRDHUP, 0};
    if (::poll(&p, 1, 0) > 0 && (p.revents & (POLLRDHUP | POLLHUP | POLLERR)))
        m_hungUp = true;
    return !m_hungUp;
}

void NetworkDevice::sendAll(const char* data, size_t size, int limitMs)
{
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(limitMs);
    while (size > 0 && !m_hungUp) {
        // MSG_NOSIGNAL: a connection the server has closed must not end the program.
        const ssize_t n = ::send(m_socket, data, size, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            data += n;
            size -= size_t(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            pollfd p{m_socket, POLLOUT, 0};
            if (::poll(&p, 1, msUntil(deadline)) > 0)
                continue;
            return; // the server takes nothing: the byte is dropped, as a local write's would be
        }
        m_hungUp = true;
    }
}

void NetworkDevice::writeByte(unsigned char byte, int limitMs)
{
    if (m_socket < 0 || m_hungUp)
        return;
    const char c = char(byte);
    m_writeLimitMs = limitMs;
    if (m_telnet)
        telnet_send(m_telnet.get(), &c, 1); // 0xFF leaves as IAC IAC
    else
        sendAll(&c, 1, limitMs);
}

SerialDevice::ReadOutcome NetworkDevice::read(QByteArray& bytes, int limitMs)
{
    if (m_socket < 0)
        return ReadOutcome::Nothing;
    const qsizetype before = bytes.size();
    bytes.append(m_early);
    m_early.clear();
    takeArrived(bytes);
    if (bytes.size() == before && limitMs > 0 && !m_hungUp && awaitReadable(limitMs))
        takeArrived(bytes);
    if (m_notifier)
        m_notifier->setEnabled(m_watching && !m_hungUp);
    return bytes.size() > before ? ReadOutcome::Bytes : ReadOutcome::Nothing;
}

void NetworkDevice::setArrivalNotice(std::function<void()> notice)
{
    m_arrivalNotice = std::move(notice);
}

void NetworkDevice::watchArrivals(bool watch)
{
    m_watching = watch;
    if (m_notifier)
        m_notifier->setEnabled(watch && !m_hungUp);
}
