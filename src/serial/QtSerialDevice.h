#pragma once

#include "SerialDevice.h"

#include <QSerialPort>

// The serial device on Qt Serial Port: real UARTs, USB adapters and pseudo-terminals.
//
// Reads poll the native handle and then let QSerialPort take the bytes, so that its own
// notifier and our reads never compete for them. A device that has gone away (an unplugged
// adapter, a closed pseudo-terminal master) is closed at once and remembered as gone:
// otherwise QSerialPort keeps raising read errors at full CPU until it is closed.
class QtSerialDevice : public SerialDevice {
public:
    QtSerialDevice();
    ~QtSerialDevice() override;

    bool open(const QString& path, const LineSettings& settings, QString* why) override;
    void close() override;
    bool stateReadable() override;
    void writeByte(unsigned char byte, int limitMs) override;
    ReadOutcome readByte(unsigned char* byte, int limitMs) override;

private:
    bool applyBeforeOpen(const LineSettings& settings, QString* why);
    void onError(QSerialPort::SerialPortError error);
    bool markGoneIfHungUp();

    QSerialPort m_port;
    bool m_gone = false;
    bool m_readFailed = false;
};
