#pragma once

#include "PortAccess.h"
#include "SerialDevice.h"

#include <QPointer>
#include <QSerialPort>
#include <QSocketNotifier>
#include <termios.h>

// The serial device on Qt Serial Port: real UARTs, USB adapters and pseudo-terminals.
//
// Reads poll the native handle and then let QSerialPort take the bytes, so that its own
// notifier and our reads never compete for them; what QSerialPort holds is taken as a
// whole, which also lets its notifier read on at once when its bounded buffer was full. A device
// that has gone away (an unplugged adapter, a closed pseudo-terminal master) is closed at once and
// remembered as gone: otherwise QSerialPort keeps raising read errors at full CPU until it is
// closed.
//
// A device is opened only when no other program holds it (see PortAccess), and is then
// taken exclusively. Opening changes the baud rate, data bits and parity, and the stop bits
// when they are 1 or 2; flow control and any other stop-bit value stay as the device has them.
class QtSerialDevice : public SerialDevice {
public:
    explicit QtSerialDevice(UucpLocks locks = UucpLocks());
    ~QtSerialDevice() override;

    bool open(const QString& path, const LineSettings& settings, QString* why) override;
    void close() override;
    bool stateReadable() override;
    void writeByte(unsigned char byte, int limitMs) override;
    ReadOutcome read(QByteArray& bytes, int limitMs) override;
    void setArrivalNotice(std::function<void()> notice) override;
    void watchArrivals(bool watch) override;
    void beginSurvey() override { m_access.beginSurvey(); }
    bool surveyFurther() override { return m_access.surveyFurther(); }
    void endSurvey() override { m_access.endSurvey(); }

private:
    static bool checkSettings(const LineSettings& settings, QString* why);
    void applyBeforeOpen(const LineSettings& settings, const termios& own);
    bool openPort(const QString& path, QString* why);
    void onError(QSerialPort::SerialPortError error);
    bool markGoneIfHungUp();
    bool pullArrived(int limitMs);
    ReadOutcome nothingOrFailure();

    PortAccess m_access;
    QSerialPort m_port;
    void applyWatch();
    void tellArrival();

    std::function<void()> m_arrivalNotice;
    // QSerialPort's own read notifier, which takes what arrives into the port's buffer.
    QPointer<QSocketNotifier> m_readNotifier;
    bool m_watching = true;
    bool m_gone = false;
    bool m_readFailed = false;
};
