#include "TtyDevice.h"

#include <QSocketNotifier>
#include <cerrno>
#include <poll.h>
#include <termios.h>
#include <unistd.h>
#include <utility>

namespace {

// Bounds what the notifier takes in while the receive loop catches up with a flood, and what
// one read takes off the line.
constexpr qsizetype readBufferBytes = 4 * 1024 * 1024;
constexpr qsizetype readChunkBytes = 16 * 1024;

} // namespace

TtyDevice::TtyDevice(UucpLocks locks) : m_access(std::move(locks)) {}

TtyDevice::~TtyDevice() { close(); }

void TtyDevice::tellArrival()
{
    if (m_arrivalNotice)
        m_arrivalNotice();
}

void TtyDevice::setArrivalNotice(std::function<void()> notice)
{
    m_arrivalNotice = std::move(notice);
}

bool TtyDevice::open(const QString& path, const LineSettings& settings, QString* why)
{
    close();
    m_gone = false;
    m_readFailed = false;
    m_fd = m_access.open(path, settings, why);
    if (!isOpen())
        return false;
    m_notifier = std::make_unique<QSocketNotifier>(m_fd, QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(),
                     [this] { onLineReadable(); });
    m_writeNotifier = std::make_unique<QSocketNotifier>(m_fd, QSocketNotifier::Write);
    m_writeNotifier->setEnabled(false);
    QObject::connect(m_writeNotifier.get(), &QSocketNotifier::activated, m_writeNotifier.get(),
                     [this] { sendUnsent(); });
    applyWatch();
    return true;
}

void TtyDevice::close()
{
    m_held.clear();
    m_unsent.clear();
    m_lineQuiet = false;
    // Closing may come from inside a notifier's own signal: it goes when that returns.
    for (std::unique_ptr<QSocketNotifier>* notifier : {&m_notifier, &m_writeNotifier}) {
        if (*notifier) {
            (*notifier)->setEnabled(false);
            notifier->release()->deleteLater();
        }
    }
    m_access.release();
    m_fd = -1;
}

void TtyDevice::watchArrivals(bool watch)
{
    m_watching = watch;
    applyWatch();
}

// The notifier is the watch: on while watched and the bound leaves room, off otherwise.
void TtyDevice::applyWatch()
{
    if (m_notifier)
        m_notifier->setEnabled(m_watching && !m_lineQuiet && m_held.size() < readBufferBytes);
}

// Bytes, a failed read or a hang-up: whichever it is, the reader is told at once.
void TtyDevice::onLineReadable()
{
    const qsizetype before = m_held.size();
    takeFromLine(m_held);
    if (isOpen()) {
        // Readable with nothing to take (a failed read, or an end of file that is no hang-up)
        // would wake the loop again at once: the notifier waits for the read it is told of.
        m_lineQuiet = m_held.size() == before;
        applyWatch();
    }
    tellArrival();
}

bool TtyDevice::markGoneIfHungUp()
{
    if (!isOpen())
        return true;
    termios t;
    if (::tcgetattr(m_fd, &t) == 0)
        return false;
    m_gone = true;
    close();
    return true;
}

bool TtyDevice::stateReadable()
{
    if (m_gone || !isOpen())
        return false;
    return !markGoneIfHungUp();
}

// Waits at most `limitMs` for the device to take another byte.
bool TtyDevice::waitForRoom(int limitMs)
{
    pollfd p{m_fd, POLLOUT, 0};
    int ready;
    while ((ready = ::poll(&p, 1, limitMs)) < 0 && errno == EINTR) {
    }
    if (ready > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL)))
        markGoneIfHungUp();
    return ready > 0 && (p.revents & POLLOUT);
}

// A byte waits its turn behind those the device has not taken yet. The line may have no
// room for a while (the module holds it with flow control, or stops reading): the byte is
// then kept, and the write notifier sends it as soon as there is room, rather than lose it.
void TtyDevice::writeByte(unsigned char byte, int limitMs)
{
    if (m_gone || !isOpen())
        return;
    m_unsent.append(char(byte));
    sendUnsent();
    if (!m_unsent.isEmpty() && waitForRoom(limitMs))
        sendUnsent();
}

// Writes what waits to be sent, as far as the device takes it now.
void TtyDevice::sendUnsent()
{
    while (isOpen() && !m_unsent.isEmpty()) {
        const ssize_t n = ::write(m_fd, m_unsent.constData(), size_t(m_unsent.size()));
        if (n > 0)
            m_unsent.remove(0, qsizetype(n));
        else if (n < 0 && errno == EINTR)
            continue;
        else if (n < 0 && errno == EAGAIN)
            break;
        else {
            // A line that failed: what it did not take can never go out.
            m_unsent.clear();
            markGoneIfHungUp();
        }
    }
    if (m_writeNotifier)
        m_writeNotifier->setEnabled(!m_unsent.isEmpty());
}

// Waits at most `limitMs` for the line to have bytes.
bool TtyDevice::waitForLine(int limitMs)
{
    pollfd p{m_fd, POLLIN, 0};
    int ready;
    while ((ready = ::poll(&p, 1, limitMs)) < 0 && errno == EINTR) {
    }
    if (ready <= 0)
        return false;
    if (!(p.revents & POLLIN)) {
        markGoneIfHungUp();
        return false;
    }
    return true;
}

// Appends what waits on the line, up to the bound. A device that has hung up is closed.
void TtyDevice::takeFromLine(QByteArray& into)
{
    char chunk[readChunkBytes];
    while (isOpen() && into.size() < readBufferBytes) {
        const ssize_t n = ::read(m_fd, chunk, sizeof chunk);
        if (n > 0)
            into.append(chunk, qsizetype(n));
        if (n == readChunkBytes || (n < 0 && errno == EINTR))
            continue;
        // Nothing more, or a line that failed or went away. A raw line with nothing to give
        // answers 0 (or EAGAIN), and so may one that has hung up: the line state tells them
        // apart. A failed line answers an error; a hung-up one often EIO.
        if ((n == 0 || (n < 0 && errno != EAGAIN)) && !markGoneIfHungUp() && n < 0)
            m_readFailed = true;
        return;
    }
}

SerialDevice::ReadOutcome TtyDevice::nothingOrFailure()
{
    if (!m_readFailed)
        return ReadOutcome::Nothing;
    m_readFailed = false;
    return ReadOutcome::Error;
}

SerialDevice::ReadOutcome TtyDevice::read(QByteArray& bytes, int limitMs)
{
    if (m_gone || !isOpen())
        return ReadOutcome::Nothing;
    // The notifier may take in again from here.
    m_lineQuiet = false;
    applyWatch();
    if (m_held.isEmpty() && !waitForLine(limitMs))
        return nothingOrFailure();
    // In the order they came: what the notifier took in, then what is still on the line.
    const qsizetype before = bytes.size();
    bytes.append(std::exchange(m_held, {}));
    takeFromLine(bytes);
    applyWatch();
    return bytes.size() > before ? ReadOutcome::Bytes : nothingOrFailure();
}
