#include "Serial_io.h"

#include "PortsFolder.h"
#include "QtSerialDevice.h"
#include "TerminalSink.h"

#include <algorithm>

namespace {

constexpr int CR = 0x0D;

// Why port n has no device to open.
QString noDevice(const PortsFolder& ports, int port)
{
    if (!PortsFolder::isPortNumber(port))
        return QStringLiteral("There is no port number %1.").arg(port);
    const QString target = ports.linkTarget(port);
    if (target.isEmpty())
        return QStringLiteral("No device is linked as COM%1 in %2.")
            .arg(QString::number(port), ports.dir());
    return QStringLiteral("COM%1 is linked to %2, which is not present: plug the device in, "
                          "or link COM%1 to another device.")
        .arg(QString::number(port), target);
}

} // namespace

Serial_io::Serial_io(const PortsFolder& ports, TerminalSink& terminal, Pause pause,
                     DeviceMaker makeDevice)
    : m_ports(ports), m_terminal(terminal), m_pause(std::move(pause)),
      m_device(makeDevice ? makeDevice() : std::make_unique<QtSerialDevice>())
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
        m_lastOpenFailure = noDevice(m_ports, port);
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
    m_terminal.portClosed();
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
        // A device lost part way through a long line is not paced through to its end.
        if (!portUsable())
            return;
        c_putc(c.unicode());
        m_pause(pacingMs);
    }
    if (!m_terminal.multiplexOn())
        c_putc(CR);
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

int Serial_io::c_getc()
{
    if (!m_open)
        return noByte;
    unsigned char byte = 0;
    switch (m_device->readByte(&byte, readWaitMs())) {
    case SerialDevice::ReadOutcome::Byte: return byte;
    case SerialDevice::ReadOutcome::Error: m_terminal.readFailed(); return noByte;
    case SerialDevice::ReadOutcome::Nothing: break;
    }
    return noByte;
}

int Serial_io::c_getc_checked()
{
    if (!m_open)
        return noByte;
    if (!m_device->stateReadable())
        return portLost;
    unsigned char byte = 0;
    if (m_device->readByte(&byte, readWaitMs()) == SerialDevice::ReadOutcome::Byte)
        return byte;
    return noByte;
}

bool Serial_io::setTimeouts(const CommTimeouts& timeouts)
{
    if (!m_open)
        return false;
    m_timeouts = timeouts;
    return true;
}
