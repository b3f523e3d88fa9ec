#pragma once

#include "PortAccess.h"
#include "SerialDevice.h"

#include <QSerialPort>
#include <termios.h>

// The serial device on Qt Serial Port: real UARTs, USB adapters and pseudo-terminals.
//
// Reads take what the port holds and then what waits on the line, through the port's own
// descriptor. Whether arriving bytes wake the event loop is set through the port's public
// read buffer bound (watchArrivals): watched, the port takes what arrives as it comes, up to
// a bound that a flood cannot overrun; unwatched, it may take a single byte before it is read
// again, so the rest waits on the line. A device that has gone away (an unplugged adapter, a
// closed pseudo-terminal master) is closed at once and remembered as gone: otherwise
// QSerialPort keeps raising read errors at full CPU until it is closed.
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
    bool waitForLine(int limitMs);
    void takeFromLine(QByteArray& into);
    ReadOutcome nothingOrFailure();
    void applyWatch();
    void onReadyRead();
    void tellArrival();

    PortAccess m_access;
    QSerialPort m_port;
    // What the port held when the line began to be watched again, not yet read.
    QByteArray m_held;

    std::function<void()> m_arrivalNotice;
    bool m_watching = true;
    bool m_gone = false;
    bool m_readFailed = false;
};
