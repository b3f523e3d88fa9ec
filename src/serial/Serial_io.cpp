#include "Serial_io.h"

#include "Ascii.h"
#include "NetworkDevice.h"
#include "PortDevice.h"
#include "PortsFolder.h"
#include "TerminalSink.h"
#include "TtyDevice.h"

#include <algorithm>
#include <utility>

Serial_io::Serial_io(const PortsFolder& ports, TerminalSink& terminal, Pause pause,
                     DeviceMaker makeDevice)
    : m_ports(ports), m_terminal(terminal), m_pause(std::move(pause)),
      m_device(
          std::make_unique<PortDevice>(makeDevice ? makeDevice() : std::make_unique<TtyDevice>(),
                                       std::make_unique<NetworkDevice>()))
{
}

Serial_io::~Serial_io() { c_close(); }

int Serial_io::c_open(int port, int baudRate, int dataBits, int parity, int stopBits)
{
    // A second open never leaves the first device held.
    c_close();
    m_timeouts = CommTimeouts{};
    const QString device = m_ports.devicePath(port);
    if (device.isEmpty()) {
        m_lastOpenFailure = m_ports.whyNoDevice(port);
        return 0;
    }
    QString why;
    m_open = m_device->open(device, {baudRate, dataBits, parity, stopBits}, &why);
    m_lastOpenFailure = m_open ? QString() : why;
    return m_open ? 1 : 0;
}

void Serial_io::c_close()
{
    if (!m_open)
        return;
    m_device->close();
    m_open = false;
    ++m_closes;
    m_arrived.clear();
    m_taken = 0;
}

int Serial_io::readWaitMs() const
{
    return std::min(m_timeouts.oneByteReadLimitMs(), longestWaitMs);
}

int Serial_io::writeWaitMs() const
{
    return std::min(m_timeouts.oneByteWriteLimitMs(), longestWaitMs);
}

void Serial_io::c_putc(int code)
{
    if (m_open)
        m_device->writeByte(static_cast<unsigned char>(code & 0xFF), writeWaitMs());
    m_pause(pacingMs);
}

bool Serial_io::portUsable() { return m_open && m_device->stateReadable(); }

void Serial_io::c_puts(const QString& s)
{
    if (!portUsable())
        return;
    if (m_terminal.copyToSendOn())
        m_terminal.setSendBox(s);
    if (m_terminal.echoOn())
        m_terminal.appendListLine(s);
    for (const QChar c : s) {
        // A device lost part way through a long line is not paced through to its end, and
        // a send that a person stops ends after the byte it was pacing.
        if (!portUsable() || m_terminal.sendStopped())
            return;
        c_putc(c.unicode());
        m_pause(pacingMs);
    }
    if (!m_terminal.multiplexOn() && !m_terminal.sendStopped())
        c_putc(ascii::CR);
}

qint64 Serial_io::c_putsMs(qsizetype length, bool multiplex)
{
    return qint64(length) * 2 * pacingMs + (multiplex ? 0 : pacingMs);
}

void Serial_io::c_write(const QString& s)
{
    if (m_terminal.copyToSendOn())
        m_terminal.setSendBox(s);
    if (!m_open)
        return;
    for (const QChar c : s)
        c_putc(c.unicode());
}

// Reads a block when everything read before has been taken, waiting at most `waitMs`.
SerialDevice::ReadOutcome Serial_io::fetch(int waitMs)
{
    if (m_taken < m_arrived.size())
        return SerialDevice::ReadOutcome::Bytes;
    m_arrived.resize(0);
    m_taken = 0;
    if (!m_open)
        return SerialDevice::ReadOutcome::Nothing;
    return m_device->read(m_arrived, waitMs);
}

int Serial_io::takeByte() { return static_cast<unsigned char>(m_arrived.at(m_taken++)); }

int Serial_io::c_getc()
{
    if (!m_open || fetch(readWaitMs()) != SerialDevice::ReadOutcome::Bytes)
        return noByte;
    return takeByte();
}

int Serial_io::c_getc_checked()
{
    if (!m_open)
        return noByte;
    if (!m_device->stateReadable())
        return portLost;
    if (fetch(readWaitMs()) != SerialDevice::ReadOutcome::Bytes)
        return noByte;
    return takeByte();
}

SerialDevice::ReadOutcome Serial_io::c_arrived(QByteArray& block)
{
    block.resize(0);
    const SerialDevice::ReadOutcome outcome = fetch(0);
    if (outcome != SerialDevice::ReadOutcome::Bytes)
        return outcome;
    std::swap(block, m_arrived);
    block.remove(0, std::exchange(m_taken, 0)); // what c_getc handed out already
    return outcome;
}

void Serial_io::setArrivalNotice(std::function<void()> notice)
{
    m_device->setArrivalNotice(std::move(notice));
}

void Serial_io::watchArrivals(bool watch) { m_device->watchArrivals(watch); }

bool Serial_io::setTimeouts(const CommTimeouts& timeouts)
{
    if (!m_open)
        return false;
    m_timeouts = timeouts;
    return true;
}
