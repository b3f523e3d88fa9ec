#pragma once

#include <QElapsedTimer>
#include <QString>
#include <sys/types.h>

// Other processes that have a device open, found the way fuser finds them: through the links
// in /proc/<pid>/fd. The far end of a pseudo-terminal is not another user of the port: the
// process that holds its master side (a simulated module) often keeps the slave side open
// too, and so may the programs it starts; they are the module's end of the line.
class DeviceUsers {
public:
    // A process other than this one with the device of this number open; 0 when there is none.
    pid_t otherUser(dev_t device);
    // The device has been opened: what the last scan found no longer stands.
    void deviceOpened() { m_lastScan.invalidate(); }

private:
    pid_t scanAll(dev_t device);

    // A port that fails to open is tried again on every receive tick, and reading every
    // process's descriptors takes milliseconds. So the user found last is looked at first,
    // and a scan that found nobody stands for a while, until the device is opened.
    static constexpr qint64 rescanAfterMs = 1000;
    pid_t m_lastFound = 0;
    dev_t m_lastScanDevice = 0;
    QElapsedTimer m_lastScan;
};

// How a person knows the process: "minicom (process 4242)".
QString describeProcess(pid_t pid);
