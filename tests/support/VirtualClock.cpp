#include "VirtualClock.h"

#include "TtyDevice.h"

namespace {

class RecordingDevice : public TtyDevice {
public:
    explicit RecordingDevice(VirtualClock& clock) : m_clock(clock) {}
    bool open(const QString& path, const LineSettings& settings, QString* why) override
    {
        m_clock.noteOpen(settings);
        return TtyDevice::open(path, settings, why);
    }
    void writeByte(unsigned char byte, int limitMs) override
    {
        m_clock.noteWrite(byte);
        TtyDevice::writeByte(byte, limitMs);
    }

private:
    VirtualClock& m_clock;
};

} // namespace

Pause VirtualClock::pause()
{
    return [this](int ms) {
        m_now += ms;
        runDue();
    };
}

void VirtualClock::runDue()
{
    while (!m_due.empty() && m_due.begin()->first <= m_now) {
        const std::function<void()> what = std::move(m_due.begin()->second);
        m_due.erase(m_due.begin());
        what();
    }
}

Serial_io::DeviceMaker VirtualClock::recordingDevices()
{
    return [this]() -> std::unique_ptr<SerialDevice> {
        return std::make_unique<RecordingDevice>(*this);
    };
}

QByteArray VirtualClock::writtenBytes() const
{
    QByteArray bytes;
    for (const Write& w : m_writes)
        bytes.append(char(w.byte));
    return bytes;
}
