#include "QtSerialDevice.h"

#include <QMetaObject>
#include <cerrno>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>
#include <utility>

namespace {

// Bounds what QSerialPort buffers while the receive loop catches up with a flood, and what one
// read takes off the line.
constexpr qsizetype readBufferBytes = 4 * 1024 * 1024;
// Unwatched, the port may take in this much before it is read again: it wakes the event loop
// at most once between reads (0 would mean no bound at all).
constexpr qsizetype unwatchedBufferBytes = 1;
constexpr qsizetype readChunkBytes = 16 * 1024;

bool toQtDataBits(int bits, QSerialPort::DataBits* out)
{
    if (bits < 5 || bits > 8)
        return false;
    *out = QSerialPort::DataBits(bits);
    return true;
}

bool toQtParity(int parity, QSerialPort::Parity* out)
{
    switch (parity) {
    case 0: *out = QSerialPort::NoParity; return true;
    case 1: *out = QSerialPort::OddParity; return true;
    case 2: *out = QSerialPort::EvenParity; return true;
    case 3: *out = QSerialPort::MarkParity; return true;
    case 4: *out = QSerialPort::SpaceParity; return true;
    default: return false;
    }
}

QString openFailureReason(const QString& path, const QSerialPort& port)
{
    if (port.error() == QSerialPort::PermissionError)
        return heldExclusively(path);
    return path + QStringLiteral(": ") + port.errorString();
}

// The device's own stop bits, for stop-bit values other than 1 and 2.
QSerialPort::StopBits ownStopBits(const termios& own)
{
    return (own.c_cflag & CSTOPB) ? QSerialPort::TwoStop : QSerialPort::OneStop;
}

QSerialPort::FlowControl ownFlowControl(const termios& own)
{
    if (own.c_cflag & CRTSCTS)
        return QSerialPort::HardwareControl;
    if (own.c_iflag & (IXON | IXOFF))
        return QSerialPort::SoftwareControl;
    return QSerialPort::NoFlowControl;
}

} // namespace

QtSerialDevice::QtSerialDevice(UucpLocks locks) : m_access(std::move(locks))
{
    QObject::connect(&m_port, &QSerialPort::errorOccurred, &m_port,
                     [this](QSerialPort::SerialPortError e) { onError(e); });
    QObject::connect(&m_port, &QSerialPort::readyRead, &m_port, [this] { onReadyRead(); });
}

void QtSerialDevice::tellArrival()
{
    if (m_arrivalNotice)
        m_arrivalNotice();
}

void QtSerialDevice::setArrivalNotice(std::function<void()> notice)
{
    m_arrivalNotice = std::move(notice);
}

void QtSerialDevice::onReadyRead()
{
    if (m_watching)
        tellArrival();
}

void QtSerialDevice::watchArrivals(bool watch)
{
    const bool watchedAgain = watch && !m_watching;
    m_watching = watch;
    applyWatch();
    if (!watchedAgain || !m_port.isOpen())
        return;
    // Taking what the port holds lets it read on; bytes that came meanwhile are told of from
    // the event loop, as they would have been had the line been watched.
    m_held.append(m_port.readAll());
    if (m_held.isEmpty())
        return;
    QMetaObject::invokeMethod(
        &m_port,
        [this] {
            if (m_watching && !m_held.isEmpty())
                tellArrival();
        },
        Qt::QueuedConnection);
}

// The port stops taking bytes in once it holds as much as its read buffer may: the bound is
// how the line is watched or not, through the port's public interface alone.
void QtSerialDevice::applyWatch()
{
    m_port.setReadBufferSize(m_watching ? readBufferBytes : unwatchedBufferBytes);
}

QtSerialDevice::~QtSerialDevice() { close(); }

bool QtSerialDevice::checkSettings(const LineSettings& s, QString* why)
{
    QSerialPort::DataBits dataBits;
    QSerialPort::Parity parity;
    if (s.baudRate <= 0)
        *why = QStringLiteral("Unsupported baud rate %1.").arg(s.baudRate);
    else if (!toQtDataBits(s.dataBits, &dataBits))
        *why = QStringLiteral("Unsupported number of data bits: %1.").arg(s.dataBits);
    else if (!toQtParity(s.parity, &parity))
        *why = QStringLiteral("Unsupported parity code: %1.").arg(s.parity);
    else
        return true;
    return false;
}

void QtSerialDevice::applyBeforeOpen(const LineSettings& s, const termios& own)
{
    QSerialPort::DataBits dataBits = QSerialPort::Data8;
    QSerialPort::Parity parity = QSerialPort::NoParity;
    toQtDataBits(s.dataBits, &dataBits);
    toQtParity(s.parity, &parity);
    // Set before open(): a pseudo-terminal silently keeps 8 data bits and no parity,
    // which is not a refusal; setting them on an open port would fail its read-back.
    m_port.setBaudRate(s.baudRate);
    m_port.setDataBits(dataBits);
    m_port.setParity(parity);
    m_port.setStopBits(s.stopBits == 1   ? QSerialPort::OneStop
                       : s.stopBits == 2 ? QSerialPort::TwoStop
                                         : ownStopBits(own));
    m_port.setFlowControl(ownFlowControl(own));
}

bool QtSerialDevice::open(const QString& path, const LineSettings& settings, QString* why)
{
    close();
    m_gone = false;
    m_readFailed = false;
    QString reason;
    termios own;
    bool opened = checkSettings(settings, &reason) && m_access.claim(path, &own, &reason);
    if (opened) {
        applyBeforeOpen(settings, own);
        opened = openPort(path, &reason);
    }
    if (opened)
        m_access.portOpened();
    // The port holds the device now (or nobody does): the look at it can let go.
    m_access.release();
    if (!opened && why)
        *why = reason;
    return opened;
}

bool QtSerialDevice::openPort(const QString& path, QString* why)
{
    m_port.setPortName(path);
    if (!m_port.open(QIODevice::ReadWrite)) {
        *why = openFailureReason(path, m_port);
        return false;
    }
    // No other program may open the device while it is ours (root still can).
    ::ioctl(m_port.handle(), TIOCEXCL);
    applyWatch();
    return true;
}

void QtSerialDevice::close()
{
    m_held.clear();
    if (m_port.isOpen())
        m_port.close();
}

bool QtSerialDevice::markGoneIfHungUp()
{
    if (!m_port.isOpen())
        return true;
    termios t;
    if (::tcgetattr(m_port.handle(), &t) == 0)
        return false;
    m_gone = true;
    close();
    return true;
}

void QtSerialDevice::onError(QSerialPort::SerialPortError error)
{
    switch (error) {
    case QSerialPort::ReadError:
    case QSerialPort::WriteError:
    case QSerialPort::ResourceError:
        if (!markGoneIfHungUp() && error == QSerialPort::ReadError)
            m_readFailed = true;
        tellArrival();
        break;
    default:
        // Timeouts, and modem-line calls that a pseudo-terminal does not support,
        // are not faults of the port.
        break;
    }
}

bool QtSerialDevice::stateReadable()
{
    if (m_gone || !m_port.isOpen())
        return false;
    return !markGoneIfHungUp();
}

void QtSerialDevice::writeByte(unsigned char byte, int limitMs)
{
    if (m_gone || !m_port.isOpen())
        return;
    const char c = char(byte);
    m_port.write(&c, 1);
    // Hand the byte to the device now; wait only when the device cannot take it at once.
    m_port.flush();
    if (m_port.bytesToWrite() > 0)
        m_port.waitForBytesWritten(limitMs);
}

// Waits at most `limitMs` for the line to have bytes.
bool QtSerialDevice::waitForLine(int limitMs)
{
    pollfd p{m_port.handle(), POLLIN, 0};
    const int ready = ::poll(&p, 1, limitMs);
    if (ready <= 0)
        return false;
    if (!(p.revents & POLLIN)) {
        markGoneIfHungUp();
        return false;
    }
    return true;
}

// Appends what waits on the line, read through the port's descriptor: the port itself may
// take no more than its bound, and nothing runs in between that could let it.
void QtSerialDevice::takeFromLine(QByteArray& into)
{
    char chunk[readChunkBytes];
    while (m_port.isOpen() && into.size() < readBufferBytes) {
        const ssize_t n = ::read(m_port.handle(), chunk, sizeof chunk);
        if (n > 0)
            into.append(chunk, qsizetype(n));
        if (n == readChunkBytes || (n < 0 && errno == EINTR))
            continue;
        // Nothing more (a raw line answers 0 or EAGAIN), or a line that failed or went away.
        if (n < 0 && errno != EAGAIN && !markGoneIfHungUp())
            m_readFailed = true;
        return;
    }
}

SerialDevice::ReadOutcome QtSerialDevice::nothingOrFailure()
{
    if (!m_readFailed)
        return ReadOutcome::Nothing;
    m_readFailed = false;
    return ReadOutcome::Error;
}

SerialDevice::ReadOutcome QtSerialDevice::read(QByteArray& bytes, int limitMs)
{
    if (m_gone || !m_port.isOpen())
        return ReadOutcome::Nothing;
    if (m_held.isEmpty() && m_port.bytesAvailable() == 0 && !waitForLine(limitMs))
        return nothingOrFailure();
    // In the order they came: what was held back, what the port took in, what is still on
    // the line. readAll also lets a port that had reached its bound read on.
    const qsizetype before = bytes.size();
    bytes.append(std::exchange(m_held, {}));
    bytes.append(m_port.readAll());
    takeFromLine(bytes);
    return bytes.size() > before ? ReadOutcome::Bytes : nothingOrFailure();
}
