#include "OpenFiles.h"

#include <QByteArray>
#include <QFile>
#include <atomic>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

// Unix98 pseudo-terminal slaves have majors 136 to 143; their index is their number in /dev/pts.
constexpr unsigned firstPtySlaveMajor = 136;
constexpr unsigned lastPtySlaveMajor = 143;
// The pseudo-terminal master multiplexer, /dev/ptmx.
const dev_t ptmxDevice = makedev(5, 2);

std::atomic<int> scansMade = 0;

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

// Devices that every other process has open and that are never a serial line: they are
// passed over without the cost of a stat.
bool neverALine(const char* path)
{
    static const char* const names[] = {"/dev/null", "/dev/zero", "/dev/full", "/dev/random",
                                        "/dev/urandom"};
    for (const char* name : names)
        if (std::strcmp(path, name) == 0)
            return true;
    return false;
}

// Calls `found` with each descriptor of the process that is a character device under /dev,
// until it returns true. Descriptor links are read relative to the process's fd folder,
// which spares the kernel a walk through /proc for each one.
using DeviceFound = std::function<bool(const char* fd, dev_t device)>;

void forEachDeviceOpen(int procDir, const char* pid, const DeviceFound& found)
{
    char fdPath[32];
    std::snprintf(fdPath, sizeof fdPath, "%s/fd", pid);
    const int fdDirFd = ::openat(procDir, fdPath, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fdDirFd < 0)
        return; // gone, or another user's process that this one may not look into
    DIR* fdDir = ::fdopendir(fdDirFd);
    if (!fdDir) {
        ::close(fdDirFd);
        return;
    }
    while (const dirent* entry = ::readdir(fdDir)) {
        if (entry->d_name[0] == '.')
            continue;
        // Only descriptors of device files can be a line; the others (sockets, pipes,
        // ordinary files) are passed over without the cost of a stat.
        char target[64];
        const ssize_t length = ::readlinkat(fdDirFd, entry->d_name, target, sizeof target - 1);
        if (length < 5 || std::memcmp(target, "/dev/", 5) != 0)
            continue;
        target[length] = '\0';
        if (neverALine(target))
            continue;
        struct stat st;
        if (::fstatat(fdDirFd, entry->d_name, &st, 0) != 0 || !S_ISCHR(st.st_mode))
            continue;
        if (found(entry->d_name, st.st_rdev))
            break;
    }
    ::closedir(fdDir);
}

void forEachDeviceOpen(pid_t pid, const DeviceFound& found)
{
    const int procDir = ::open("/proc", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (procDir < 0)
        return;
    forEachDeviceOpen(procDir, QByteArray::number(pid).constData(), found);
    ::close(procDir);
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

} // namespace

DeviceOpenersScan::DeviceOpenersScan()
{
    ++scansMade;
    m_procDir = ::open("/proc", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    m_proc = m_procDir >= 0 ? ::fdopendir(m_procDir) : nullptr;
    if (!m_proc && m_procDir >= 0)
        ::close(m_procDir);
}

DeviceOpenersScan::~DeviceOpenersScan()
{
    if (m_proc)
        ::closedir(m_proc);
}

bool DeviceOpenersScan::scanMore(int processes)
{
    if (!m_proc)
        return false;
    const pid_t self = ::getpid();
    for (int looked = 0; looked < processes;) {
        const dirent* entry = ::readdir(m_proc);
        if (!entry) {
            ::closedir(m_proc);
            m_proc = nullptr;
            return false;
        }
        char* end = nullptr;
        const long pid = std::strtol(entry->d_name, &end, 10);
        if (*end != '\0' || pid <= 0 || pid == self)
            continue;
        ++looked;
        forEachDeviceOpen(m_procDir, entry->d_name, [&](const char*, dev_t device) {
            QList<pid_t>& users = m_openers[device];
            if (users.isEmpty() || users.last() != pid_t(pid))
                users.append(pid_t(pid));
            return false;
        });
    }
    return true;
}

DeviceOpeners scanDeviceOpeners()
{
    DeviceOpenersScan scan;
    while (scan.scanMore(INT_MAX)) {
    }
    return scan.take();
}

int deviceOpenerScans() { return scansMade; }

bool hasDeviceOpen(pid_t pid, dev_t device)
{
    bool open = false;
    forEachDeviceOpen(pid, [&](const char*, dev_t found) { return open = found == device; });
    return open;
}

bool holdsPtyMaster(pid_t pid, dev_t device)
{
    const int index = ptyIndex(device);
    if (index < 0 || pid <= 0)
        return false;
    bool holds = false;
    forEachDeviceOpen(pid, [&](const char* fd, dev_t found) {
        return holds = found == ptmxDevice && masterIndex(pid, fd) == index;
    });
    return holds;
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

QString describeProcess(pid_t pid)
{
    QFile comm(QString::fromLatin1(procPath(pid, "comm")));
    const QString name = comm.open(QIODevice::ReadOnly)
                             ? QString::fromLocal8Bit(comm.readAll().trimmed())
                             : QString();
    const QString number = QStringLiteral("process %1").arg(pid);
    return name.isEmpty() ? number : name + QStringLiteral(" (") + number + QLatin1Char(')');
}
