#include "PortAccess.h"

#include "OpenFiles.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString notPresent(const QString& path) { return path + QStringLiteral(" is not present."); }

QString notSerial(const QString& path, const struct stat& st)
{
    if (S_ISDIR(st.st_mode))
        return path + QStringLiteral(" is a folder, not a serial device.");
    if (S_ISREG(st.st_mode))
        return path + QStringLiteral(" is a file, not a serial device.");
    return path + QStringLiteral(" is not a serial device.");
}

QString permissionDenied(const QString& path)
{
    return QStringLiteral("Permission denied on %1: add your user to the dialout group "
                          "(then log in again), or ask for access to the device.")
        .arg(path);
}

} // namespace

QString heldExclusively(const QString& path)
{
    return path + QStringLiteral(" is in use by another program.");
}

PortAccess::PortAccess(UucpLocks locks) : m_locks(std::move(locks)) {}

PortAccess::~PortAccess() { release(); }

void PortAccess::release()
{
    if (m_probe >= 0)
        ::close(m_probe);
    m_probe = -1;
}

QString PortAccess::inUseBy(pid_t holder, const QString& path) const
{
    return path + QStringLiteral(" is in use by ") + describeProcess(holder) + QLatin1Char('.');
}

QString PortAccess::openFailure(int error, const QString& path, dev_t device)
{
    switch (error) {
    case EACCES:
    case EPERM: return permissionDenied(path);
    case EBUSY: // another program took the device exclusively
        if (const pid_t holder = m_users.otherUser(device))
            return inUseBy(holder, path);
        return heldExclusively(path);
    case ENOENT:
    case ENODEV:
    case ENXIO:
    case EIO: return notPresent(path);
    default: return path + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(error));
    }
}

bool PortAccess::claim(const QString& path, termios* own, QString* why)
{
    release();
    const QByteArray native = path.toLocal8Bit();
    struct stat st;
    if (::stat(native.constData(), &st) != 0) {
        *why = errno == EACCES ? permissionDenied(path) : notPresent(path);
        return false;
    }
    if (!S_ISCHR(st.st_mode)) {
        *why = notSerial(path, st);
        return false;
    }
    // Lock files first: a device that a lock file gives to another program is not opened at all.
    if (const pid_t holder = m_locks.liveHolder(path)) {
        *why = inUseBy(holder, path);
        return false;
    }
    m_probe = ::open(native.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_probe < 0) {
        *why = openFailure(errno, path, st.st_rdev);
        return false;
    }
    if (::tcgetattr(m_probe, own) != 0) {
        *why = errno == EIO ? notPresent(path) : notSerial(path, st);
        release();
        return false;
    }
    // Our own look at the device is not counted: only other processes are.
    if (const pid_t holder = m_users.otherUser(st.st_rdev)) {
        *why = inUseBy(holder, path);
        release();
        return false;
    }
    return true;
}
