#include "DeviceUsers.h"

#include <QByteArray>
#include <QFile>
#include <QSet>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

// Unix98 pseudo-terminal slaves have majors 136 to 143; their index is their number in /dev/pts.
constexpr unsigned firstPtySlaveMajor = 136;
constexpr unsigned lastPtySlaveMajor = 143;
// The pseudo-terminal master multiplexer, /dev/ptmx.
const dev_t ptmxDevice = makedev(5, 2);

int ptyIndex(dev_t device)
{
    const unsigned major = ::major(device);
    if (major < firstPtySlaveMajor || major > lastPtySlaveMajor)
        return -1;
    return int((major - firstPtySlaveMajor) * 256 + ::minor(device));
}

QByteArray procPath(pid_t pid, const char* entry)
{
    return "/proc/" + QByteArray::number(pid) + '/' + entry;
}

// The pseudo-terminal a master descriptor serves, from its "tty-index:" line.
int masterIndex(pid_t pid, const char* fd)
{
    QFile info(QString::fromLatin1(procPath(pid, "fdinfo/") + fd));
    if (!info.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : info.readAll().split('\n'))
        if (line.startsWith("tty-index:"))
            return line.mid(10).trimmed().toInt();
    return -1;
}

struct Holding {
    bool device = false; // has the device open
    bool master = false; // holds the master side of that pseudo-terminal
};

Holding holding(pid_t pid, dev_t device)
{
    Holding found;
    const QByteArray fdDir = procPath(pid, "fd");
    DIR* dir = ::opendir(fdDir.constData());
    if (!dir)
        return found; // gone, or another user's process that this one may not look into
    const int index = ptyIndex(device);
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] == '.')
            continue;
        // Only descriptors of device files can be the device; the others (sockets, pipes,
        // ordinary files) are passed over without the cost of a stat.
        const QByteArray link = fdDir + '/' + entry->d_name;
        char linkTarget[8];
        if (::readlink(link.constData(), linkTarget, sizeof linkTarget) < 5 ||
            std::memcmp(linkTarget, "/dev/", 5) != 0)
            continue;
        struct stat target;
        if (::stat(link.constData(), &target) != 0 || !S_ISCHR(target.st_mode))
            continue;
        if (target.st_rdev == device)
            found.device = true;
        else if (index >= 0 && target.st_rdev == ptmxDevice &&
                 masterIndex(pid, entry->d_name) == index)
            found.master = true;
    }
    ::closedir(dir);
    return found;
}

pid_t parentOf(pid_t pid)
{
    QFile status(QString::fromLatin1(procPath(pid, "status")));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("PPid:"))
            return pid_t(line.mid(5).trimmed().toInt());
    return 0;
}

} // namespace

pid_t DeviceUsers::otherUser(dev_t device)
{
    if (m_lastFound != 0 && holding(m_lastFound, device).device)
        return m_lastFound;
    m_lastFound = 0;
    if (m_lastScanDevice == device && m_lastScan.isValid() && m_lastScan.elapsed() < rescanAfterMs)
        return 0;
    m_lastFound = scanAll(device);
    m_lastScanDevice = device;
    m_lastScan.start();
    return m_lastFound;
}

pid_t DeviceUsers::scanAll(dev_t device)
{
    const pid_t self = ::getpid();
    QSet<pid_t> users;
    QSet<pid_t> farEnd;
    DIR* proc = ::opendir("/proc");
    if (!proc)
        return 0;
    while (const dirent* entry = ::readdir(proc)) {
        char* end = nullptr;
        const long pid = std::strtol(entry->d_name, &end, 10);
        if (*end != '\0' || pid <= 0 || pid == self)
            continue;
        const Holding h = holding(pid_t(pid), device);
        if (h.master)
            farEnd.insert(pid_t(pid));
        else if (h.device)
            users.insert(pid_t(pid));
    }
    ::closedir(proc);
    for (const pid_t pid : users)
        if (!farEnd.contains(parentOf(pid)))
            return pid;
    return 0;
}

QString describeProcess(pid_t pid)
{
    QFile comm(QString::fromLatin1(procPath(pid, "comm")));
    const QString name = comm.open(QIODevice::ReadOnly)
                             ? QString::fromLocal8Bit(comm.readAll().trimmed())
                             : QString();
    const QString number = QStringLiteral("process %1").arg(pid);
    return name.isEmpty() ? number : name + QStringLiteral(" (") + number + QLatin1Char(')');
}
