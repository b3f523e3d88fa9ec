#pragma once

#include <QByteArray>
#include <QFile>

// Memory figures of this process, read from /proc/self/status.
namespace processMemory {

// Under AddressSanitizer every allocation carries red zones and freed blocks wait in
// quarantine, so the process's memory tells nothing about what the program itself keeps.
#ifdef __SANITIZE_ADDRESS__
inline constexpr bool isMeaningful = false;
#else
inline constexpr bool isMeaningful = true;
#endif

// A figure in KiB: "VmRSS:" is resident memory now, "VmHWM:" its peak since the last reset.
inline qint64 statusKiB(const char* field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (QByteArray line; !(line = status.readLine()).isEmpty();)
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').first().toLongLong();
    return 0;
}

inline qint64 residentKiB() { return statusKiB("VmRSS:"); }
inline qint64 peakKiB() { return statusKiB("VmHWM:"); }

// Starts the peak over from the memory resident now.
inline void resetPeak()
{
    QFile clearRefs(QStringLiteral("/proc/self/clear_refs"));
    if (clearRefs.open(QIODevice::WriteOnly))
        clearRefs.write("5");
}

} // namespace processMemory
