#pragma once

#include <QString>
#include <QStringList>
#include <sys/types.h>

// The lock files by which serial programs on this machine tell each other that a device is
// theirs: LCK..<device name> in the lock directory, holding the owner's process number in
// ASCII ("%10d\n"). Qt Serial Port writes such a file (the number on its first line) for
// every port it opens and removes it on close, but it takes a file it did not write for a
// stale one and replaces it, even while its owner runs: so the files are read here first.
class UucpLocks {
public:
    explicit UucpLocks(QStringList dirs = standardDirs());

    // /run/lock and /var/lock, each once when one is a link to the other.
    static QStringList standardDirs();
    // LCK..ttyUSB0 for /dev/ttyUSB0, LCK..pts_3 for /dev/pts/3.
    static QString fileName(const QString& devicePath);

    // The running process, other than this one, whose lock file names the device; 0 when
    // there is none. A lock file left by a process that has ended is removed on the way.
    pid_t liveHolder(const QString& devicePath) const;

private:
    QStringList m_dirs;
};

// True while the process runs (also when it belongs to another user).
bool processRuns(pid_t pid);
