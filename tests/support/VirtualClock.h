#pragma once

#include "Pause.h"
#include "Serial_io.h"

#include <QByteArray>
#include <vector>

// Stands in for the pacing sleeps: a pause only advances the clock. Devices made through
// it note the virtual time of every byte they write and of every open with its line
// settings, and still write to and open the real device.
class VirtualClock {
public:
    qint64 now() const { return m_now; }
    Pause pause();
    Serial_io::DeviceMaker recordingDevices();

    struct Write {
        qint64 at;
        unsigned char byte;
    };
    const std::vector<Write>& writes() const { return m_writes; }
    QByteArray writtenBytes() const;

    struct Open {
        qint64 at;
        LineSettings settings;
    };
    const std::vector<Open>& opens() const { return m_opens; }

    void forget()
    {
        m_writes.clear();
        m_opens.clear();
    }

    void noteWrite(unsigned char byte) { m_writes.push_back({m_now, byte}); }
    void noteOpen(const LineSettings& settings) { m_opens.push_back({m_now, settings}); }

private:
    qint64 m_now = 0;
    std::vector<Write> m_writes;
    std::vector<Open> m_opens;
};
