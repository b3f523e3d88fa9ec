#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <dirent.h>
#include <sys/types.h>

// What other processes have open, read the way fuser reads it: through the links in
// /proc/<pid>/fd. Only descriptors of character devices under /dev count.

// The processes other than this one that have each device open, from one pass over every
// process. A pass reads every descriptor of every process: with a thousand processes it
// takes tens of milliseconds, so callers keep what it found for as long as it may stand.
using DeviceOpeners = QHash<dev_t, QList<pid_t>>;
DeviceOpeners scanDeviceOpeners();

// The same pass, made a few processes at a time, so that the window can have its turns
// in between.
class DeviceOpenersScan {
public:
    DeviceOpenersScan();
    ~DeviceOpenersScan();
    DeviceOpenersScan(const DeviceOpenersScan&) = delete;
    DeviceOpenersScan& operator=(const DeviceOpenersScan&) = delete;

    // Looks at up to `processes` more processes; false once every one has been looked at.
    bool scanMore(int processes);
    DeviceOpeners take() { return std::move(m_openers); }

private:
    int m_procDir = -1;
    DIR* m_proc = nullptr;
    DeviceOpeners m_openers;
};

// How many passes this process has begun, for those who count them.
int deviceOpenerScans();

// Looks at one process only, cheaply.
bool hasDeviceOpen(pid_t pid, dev_t device);
// The process holds the master side of the pseudo-terminal whose slave is `device`.
bool holdsPtyMaster(pid_t pid, dev_t device);
pid_t parentOf(pid_t pid);

// How a person knows the process: "minicom (process 4242)".
QString describeProcess(pid_t pid);
