#pragma once

#include "LineSettings.h"
#include "Pause.h"
#include "SerialDevice.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <functional>
#include <memory>

class PortsFolder;
class TerminalSink;

// The one serial port of the program. Synchronous, paced: 10 ms after every byte written.
class Serial_io {
public:
    using DeviceMaker = std::function<std::unique_ptr<SerialDevice>()>;

    Serial_io(const PortsFolder& ports, TerminalSink& terminal, Pause pause,
              DeviceMaker makeDevice = {});
    ~Serial_io();

    static constexpr int noByte = -1;
    static constexpr int portLost = -2;
    static constexpr int pacingMs = 10;
    // The driver runs on the window's thread, which waits in every read and in every write
    // the device cannot take at once. However long the port's time limits (up to 49 days
    // each), no single wait holds the window longer than this.
    static constexpr int longestWaitMs = 1000;

    // Opens port n (1..100) with the line settings; non-zero on success.
    int c_open(int port, int baudRate, int dataBits, int parity, int stopBits);
    void c_close();
    void c_putc(int code);
    void c_puts(const QString& s);
    // The time c_puts paces a text of `length` characters: 20 ms a character and 10 ms for
    // the CR, which multiplexing mode leaves out.
    static qint64 c_putsMs(qsizetype length, bool multiplex);
    void c_write(const QString& s);
    // One byte at a time, waiting up to the read limits: only the tests read this way; the
    // receive tick takes blocks through c_arrived below. A read that fails gives no byte.
    int c_getc();
    int c_getc_checked();

    // The receive tick's intake, which never waits: `block`, all taken, is replaced by
    // everything that has arrived, read from the device in one block (empty when nothing
    // has). Its storage is kept for the next read, so that a stream costs no allocations.
    // Returns how the read went: an error is the caller's to tell.
    SerialDevice::ReadOutcome c_arrived(QByteArray& block);
    // How often an open port has been closed so far: a block read before the count changed
    // came from a port that is gone.
    int closesSoFar() const { return m_closes; }
    // Called when the open device has bytes or a failure to tell of (see SerialDevice).
    void setArrivalNotice(std::function<void()> notice);
    // Whether the device watches the line between reads (see SerialDevice).
    void watchArrivals(bool watch);

    // While a Survey lives, many ports are opened one after another and closed again (Auto
    // Detect): who else holds their devices is looked up once for all of them, a step at a
    // time while lookFurther() is true, or at once by the first open that needs it.
    class Survey {
    public:
        explicit Survey(Serial_io& io) : m_io(io) { m_io.m_device->beginSurvey(); }
        ~Survey() { m_io.m_device->endSurvey(); }
        bool lookFurther() { return m_io.m_device->surveyFurther(); }
        Survey(const Survey&) = delete;
        Survey& operator=(const Survey&) = delete;

    private:
        Serial_io& m_io;
    };

    // The pacing pause, for senders that keep silences of their own (guard times).
    void sleep(int ms) { m_pause(ms); }

    bool isOpen() const { return m_open; }
    // Open, and its device still there: what c_puts sends reaches the line. The port test
    // of the checking read, on its own.
    bool portUsable();
    // Why the last c_open failed, for a person to read.
    const QString& lastOpenFailure() const { return m_lastOpenFailure; }

    const CommTimeouts& timeouts() const { return m_timeouts; }
    // Changes the open port's time limits; false (and nothing changes) with no port open.
    // They are kept as given; each wait is bounded by longestWaitMs.
    bool setTimeouts(const CommTimeouts& timeouts);

private:
    SerialDevice::ReadOutcome fetch(int waitMs);
    int takeByte();
    int readWaitMs() const;
    int writeWaitMs() const;

    const PortsFolder& m_ports;
    TerminalSink& m_terminal;
    Pause m_pause;
    std::unique_ptr<SerialDevice> m_device;
    bool m_open = false;
    int m_closes = 0;
    // Bytes read from the device in one block, handed out from `m_taken` on.
    QByteArray m_arrived;
    qsizetype m_taken = 0;
    CommTimeouts m_timeouts;
    QString m_lastOpenFailure;
};
