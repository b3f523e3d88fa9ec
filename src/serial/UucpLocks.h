#pragma once

#include <QString>
#include <QStringList>
#include <sys/types.h>

// The lock files by which serial programs on this machine tell each other that a device is
// theirs: LCK..<device name> in the lock directory, holding the owner's process number in
// ASCII ("%10d\n"). This program writes one for the device it opens (take) and removes it
// when it lets go (drop). A file whose owner has ended is stale and replaced; a running
// owner's file is never touched.
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

    // Writes this process's lock file for the device, in the first lock directory that takes
    // it. True when the device is ours now, also when no directory takes files (nothing to
    // tell other programs by then; the device is still held exclusively). False when another
    // holds it: `holder` is then its process, or 0 when the file names no process to show (a
    // file being written, or one that another part of this process wrote).
    bool take(const QString& devicePath, pid_t* holder);
    // Removes the file take() wrote, unless it names another process by now.
    void drop();

private:
    enum class Create { Written, Exists, NotHere };
    Create create(const QString& lockPath) const;

    QStringList m_dirs;
    QString m_taken; // the file take() wrote, until drop()
};

// True while the process runs (also when it belongs to another user).
bool processRuns(pid_t pid);
