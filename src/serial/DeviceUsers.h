#pragma once

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

private:
    // The user found last, looked at first: a port that another program holds is tried
    // again on every receive tick, and one process is quicker to read than all of them.
    pid_t m_lastFound = 0;
};

// How a person knows the process: "minicom (process 4242)".
QString describeProcess(pid_t pid);
