#pragma once

#include "Pause.h"
#include "Serial_io.h"

#include <QByteArray>
#include <functional>
#include <map>
#include <vector>

// Stands in for the pacing sleeps: a pause only advances the clock. Devices made through
// it note the virtual time of every byte they write and of every open with its line
// settings, and still write to and open the real device.
class VirtualClock {
public:
    qint64 now() const { return m_now; }
    Pause pause();
    Serial_io::DeviceMaker recordingDevices();
    // Runs `what` inside the pause that brings the clock to `ms` or past it: something that
    // happens while a send is being paced.
    void during(qint64 ms, std::function<void()> what) { m_due.emplace(ms, std::move(what)); }

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
    void runDue();

    qint64 m_now = 0;
    std::multimap<qint64, std::function<void()>> m_due;
    std::vector<Write> m_writes;
    std::vector<Open> m_opens;
};
