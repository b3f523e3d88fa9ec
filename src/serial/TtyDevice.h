#pragma once

#include "PortAccess.h"
#include "SerialDevice.h"

#include <QByteArray>
#include <memory>

class QSocketNotifier;

// A local serial device on its own descriptor: real UARTs, USB adapters and pseudo-terminals.
// PortAccess opens it, once, and decides whether it may be opened at all.
//
// Whether arriving bytes wake the event loop is the read notifier on the descriptor
// (watchArrivals): watched, the notifier is on and takes what arrives as it comes, up to a
// bound that a flood cannot overrun; unwatched, it is off, and bytes wait on the line until
// the next read takes them all. A device that has hung up (an unplugged adapter, a closed
// pseudo-terminal master) is closed at once and remembered as gone. A byte the line has no
// room for waits, in order, until it has.
class TtyDevice : public SerialDevice {
public:
    explicit TtyDevice(UucpLocks locks = UucpLocks());
    ~TtyDevice() override;

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
    bool isOpen() const { return m_fd >= 0; }
    bool markGoneIfHungUp();
    bool waitForLine(int limitMs);
    bool waitForRoom(int limitMs);
    void sendUnsent();
    void takeFromLine(QByteArray& into);
    ReadOutcome nothingOrFailure();
    void applyWatch();
    void onLineReadable();
    void tellArrival();

    PortAccess m_access;
    int m_fd = -1;
    std::unique_ptr<QSocketNotifier> m_notifier;
    // On only while bytes wait for the line to have room.
    std::unique_ptr<QSocketNotifier> m_writeNotifier;
    // Written by the program, not yet taken by the device, in order.
    QByteArray m_unsent;
    // Taken off the line by the notifier, not yet read.
    QByteArray m_held;

    std::function<void()> m_arrivalNotice;
    bool m_watching = true;
    // The notifier found the line readable but took nothing: it waits for the next read.
    bool m_lineQuiet = false;
    bool m_gone = false;
    bool m_readFailed = false;
};
