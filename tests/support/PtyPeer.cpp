#include "PtyPeer.h"

#include "LineSpeed.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <termios.h>
#include <unistd.h>

namespace {

// Another test program may be letting go of a pseudo-terminal with this number right now:
// the port is closed before its lock file (LCK..pts_N) is removed. The program under test
// would find the port "in use"; take another number instead.
bool lockedByAnotherProgram(const QString& slavePath)
{
    const QString name =
        QStringLiteral("LCK..") + slavePath.mid(5).replace(QLatin1Char('/'), QLatin1Char('_'));
    for (const char* dir : {"/var/lock", "/run/lock", "/tmp", "/var/tmp"})
        if (QFileInfo::exists(QLatin1String(dir) + QLatin1Char('/') + name))
            return true;
    return false;
}

} // namespace

PtyPeer::PtyPeer() { openPair(); }

PtyPeer::~PtyPeer()
{
    unplug();
    releaseOldNumber();
}

void PtyPeer::openPair()
{
    std::vector<int> passedOver; // held until a free number is found, so it is not handed out again
    for (;;) {
        openOnePair();
        if (!lockedByAnotherProgram(m_slavePath) || passedOver.size() >= 32)
            break;
        passedOver.push_back(m_master);
        ::close(m_slave);
    }
    for (const int fd : passedOver)
        ::close(fd);
}

void PtyPeer::openOnePair()
{
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0)
        throw std::runtime_error("no pseudo-terminal");
    m_slavePath = QString::fromLocal8Bit(::ptsname(m_master));
    m_slave = ::open(m_slavePath.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios raw;
    ::tcgetattr(m_slave, &raw);
    ::cfmakeraw(&raw);
    ::tcsetattr(m_slave, TCSANOW, &raw);
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
}

termios PtyPeer::line() const
{
    termios settings{};
    if (::tcgetattr(m_slave, &settings) != 0)
        throw std::runtime_error("the pseudo-terminal's settings cannot be read");
    return settings;
}

int PtyPeer::speed() const { return lineSpeed(m_slave); }

void PtyPeer::setLine(const termios& settings)
{
    if (::tcsetattr(m_slave, TCSANOW, &settings) != 0)
        throw std::runtime_error("the pseudo-terminal's settings cannot be set");
}

// Closing the master hangs the line up and removes the device node at once. The slave is
// held on to: while it is open the kernel keeps the pseudo-terminal's number, so the next
// pseudo-terminal opened on this machine, by any test program, does not take the path
// that the program under test keeps trying to reopen while its device is gone.
void PtyPeer::unplug()
{
    if (m_master < 0)
        return;
    ::close(m_master);
    m_master = -1;
    releaseOldNumber();
    m_oldSlave = m_slave;
    m_slave = -1;
}

// The new device gets a number of its own before the old one is let go.
void PtyPeer::plugBack()
{
    unplug();
    openPair();
    releaseOldNumber();
}

void PtyPeer::releaseOldNumber()
{
    if (m_oldSlave >= 0)
        ::close(m_oldSlave);
    m_oldSlave = -1;
}

void PtyPeer::send(const QByteArray& bytes)
{
    // The line holds a few kilobytes; more waits for the program to read, and a program
    // that reads nothing for a few seconds leaves the rest unsent rather than hanging.
    QElapsedTimer patience;
    patience.start();
    qsizetype done = 0;
    while (done < bytes.size() && m_master >= 0 && patience.elapsed() < 5000) {
        const ssize_t n = ::write(m_master, bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0) {
            done += n;
            patience.restart();
        } else if (errno == EAGAIN || errno == EINTR) {
            pollfd p{m_master, POLLOUT, 0};
            ::poll(&p, 1, 10);
        } else {
            return;
        }
    }
}

void PtyPeer::sendPatiently(const QByteArray& bytes, const std::atomic<bool>& stop)
{
    qsizetype done = 0;
    while (done < bytes.size() && m_master >= 0 && !stop) {
        const ssize_t n = ::write(m_master, bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0) {
            done += n;
        } else if (errno == EAGAIN || errno == EINTR) {
            pollfd p{m_master, POLLOUT, 0};
            ::poll(&p, 1, 100);
        } else {
            return;
        }
    }
}

// The peer's own hold on the device sees the same input queue as the program's.
bool PtyPeer::awaitBytesForProgram(int waitMs)
{
    if (m_slave < 0)
        return false;
    pollfd p{m_slave, POLLIN, 0};
    return ::poll(&p, 1, waitMs) > 0 && (p.revents & POLLIN);
}

void PtyPeer::fillLineToModule()
{
    // Written on the device side through our own descriptor, which the program's exclusive
    // open does not shut out. The kernel moves buffered bytes on in the background, so the
    // line counts as full only once it has stayed without room for a while.
    const int flags = ::fcntl(m_slave, F_GETFL);
    ::fcntl(m_slave, F_SETFL, flags | O_NONBLOCK);
    const QByteArray chunk(4096, 'F');
    qint64 written = 0;
    constexpr qint64 farMoreThanAnyLineHolds = 64 * 1024 * 1024;
    while (written < farMoreThanAnyLineHolds) {
        ssize_t n;
        while ((n = ::write(m_slave, chunk.constData(), size_t(chunk.size()))) > 0)
            written += n;
        pollfd p{m_slave, POLLOUT, 0};
        if (::poll(&p, 1, 200) == 0)
            break;
    }
    ::fcntl(m_slave, F_SETFL, flags);
}

bool PtyPeer::waitReadable(int timeoutMs)
{
    pollfd p{m_master, POLLIN, 0};
    return ::poll(&p, 1, timeoutMs) > 0 && (p.revents & POLLIN);
}

QByteArray PtyPeer::read(int waitMs, int quietMs)
{
    QByteArray bytes;
    if (m_master < 0)
        return bytes;
    int wait = waitMs;
    char buffer[4096];
    while (waitReadable(wait)) {
        const ssize_t n = ::read(m_master, buffer, sizeof buffer);
        if (n <= 0)
            break;
        bytes.append(buffer, n);
        wait = quietMs;
    }
    return bytes;
}

QByteArray PtyPeer::readExactly(qsizetype n, int timeoutMs)
{
    QByteArray bytes;
    for (const TimedByte& b : readTimed(n, timeoutMs))
        bytes.append(char(b.byte));
    return bytes;
}

std::vector<PtyPeer::TimedByte> PtyPeer::readTimed(qsizetype n, int timeoutMs)
{
    std::vector<TimedByte> bytes;
    QElapsedTimer clock;
    clock.start();
    while (qsizetype(bytes.size()) < n && m_master >= 0) {
        const qint64 left = timeoutMs - clock.elapsed();
        if (left <= 0 || !waitReadable(int(left)))
            break;
        unsigned char buffer[4096];
        const size_t want = std::min<size_t>(sizeof buffer, size_t(n - qsizetype(bytes.size())));
        const ssize_t got = ::read(m_master, buffer, want);
        const qint64 now = std::chrono::duration_cast<std::chrono::nanoseconds>(
                               std::chrono::steady_clock::now().time_since_epoch())
                               .count();
        for (ssize_t i = 0; i < got; ++i)
            bytes.push_back({now, buffer[i]});
    }
    return bytes;
}
