#pragma once

#include "ProcessMemory.h"
#include "UucpLocks.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QList>
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <time.h>
#include <unistd.h>

// What a test of faults looks at in the program's own process: its open descriptors, its
// lock files, the processor time it used, and whether its event loop still turns.
namespace probes {

inline int openDescriptors()
{
    return int(QDir(QStringLiteral("/proc/self/fd"))
                   .entryList(QDir::NoDotAndDotDot | QDir::System)
                   .size());
}

// Lock files (LCK..<device>) that name this process as their owner.
inline QStringList ownLockFiles()
{
    QStringList own;
    for (const QString& dir : UucpLocks::standardDirs())
        for (const QString& name : QDir(dir).entryList({QStringLiteral("LCK..*")}, QDir::Files)) {
            QFile lock(dir + QLatin1Char('/') + name);
            if (lock.open(QIODevice::ReadOnly) &&
                lock.readLine().trimmed().toLongLong() == ::getpid())
                own.append(lock.fileName());
        }
    return own;
}

// Peak memory of the process so far, in kilobytes.
inline qint64 peakMemoryKb() { return processMemory::peakKiB(); }

// Processor time of the whole process, every thread together.
inline qint64 processCpuNs()
{
    timespec now{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

// Counts the turns of the event loop: a timer's beats and the posted events it got through.
// Beats go on only while the window's thread comes back to its loop.
class Heartbeat : public QObject {
public:
    explicit Heartbeat(int intervalMs = 20)
    {
        connect(&m_timer, &QTimer::timeout, this, [this] { ++beats; });
        m_timer.start(intervalMs);
    }
    int beats = 0;

private:
    QTimer m_timer;
};

// The lines a capture file tells of: its pass records strung together, cut where a CR's empty
// pass record is followed by the finished line's record. With Echo and stamps off and no
// bytes but printable ones and CR, these are exactly the lines the terminal showed; `last` is
// the line still being built. A finished-line record that does not match what the passes
// built is reported in `mismatches`.
struct CapturedLines {
    QStringList finished;
    QString last;
    int mismatches = 0;
};

inline CapturedLines linesFromCapture(const QByteArray& content)
{
    CapturedLines result;
    QList<QByteArray> records = content.split('\n');
    records.removeLast(); // after the final line end
    bool lineRecordNext = false;
    for (QByteArray record : records) {
        record.chop(1); // its CR
        const QString text = QString::fromUtf8(record);
        if (lineRecordNext) {
            if (text != result.last)
                ++result.mismatches;
            result.finished.append(result.last);
            result.last.clear();
            lineRecordNext = false;
        } else if (text.isEmpty()) {
            lineRecordNext = true;
        } else {
            result.last += text;
        }
    }
    return result;
}

} // namespace probes
