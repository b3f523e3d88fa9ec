#pragma once

#include "SerialDevice.h"

#include <memory>

// The device behind a COM number, of either kind: a network port when the ports folder
// links the number to a network address (NetworkAddress), a local serial device otherwise.
// Each open picks the kind by the address it is given; everything else goes to the device
// that is open.
class PortDevice : public SerialDevice {
public:
    PortDevice(std::unique_ptr<SerialDevice> local, std::unique_ptr<SerialDevice> network);

    bool open(const QString& path, const LineSettings& settings, QString* why) override;
    void close() override { m_open->close(); }
    bool stateReadable() override { return m_open->stateReadable(); }
    void writeByte(unsigned char byte, int limitMs) override { m_open->writeByte(byte, limitMs); }
    ReadOutcome read(QByteArray& bytes, int limitMs) override
    {
        return m_open->read(bytes, limitMs);
    }
    void setArrivalNotice(std::function<void()> notice) override;
    void watchArrivals(bool watch) override;
    void beginSurvey() override;
    bool surveyFurther() override;
    void endSurvey() override;

private:
    std::unique_ptr<SerialDevice> m_local;
    std::unique_ptr<SerialDevice> m_network;
    SerialDevice* m_open; // the one of the two that the last open chose
};
