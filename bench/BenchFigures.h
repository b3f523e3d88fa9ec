#pragma once

// What the benchmarks measure the same way: processor time, and the lines they stream.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <sys/resource.h>
#include <unistd.h>

// Processor time (user and system) of this process or its children so far: `who` is
// RUSAGE_SELF, RUSAGE_THREAD or RUSAGE_CHILDREN.
inline double cpuSeconds(int who)
{
    rusage usage{};
    ::getrusage(who, &usage);
    const auto seconds = [](const timeval& t) { return double(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Another process's processor time so far (user and system), from /proc.
inline double processCpuSeconds(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (pid <= 0 || !stat.open(QIODevice::ReadOnly))
        return 0.0;
    const QByteArray text = stat.readAll();
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    // After the name: state is field 3, utime 14 and stime 15 (counting from 1).
    return fields.size() > 12
               ? (fields[11].toDouble() + fields[12].toDouble()) / double(::sysconf(_SC_CLK_TCK))
               : 0.0;
}

// Line `number` of a stream of 1000-byte lines (CR LF included), each told apart by its
// number, so a line missing or cut shows at the end.
inline QByteArray numberedLongLine(int number)
{
    QByteArray line = "line " + QByteArray::number(number) + ' ';
    while (line.size() < 998)
        line += char('!' + line.size() % 94);
    return line + "\r\n";
}
