#include "PortAccess.h"

#include "LineSpeed.h"
#include "OpenFiles.h"
#include "TtyLine.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

QString unsupported(const LineSettings& s)
{
    if (s.baudRate <= 0)
        return QStringLiteral("Unsupported baud rate %1.").arg(s.baudRate);
    if (s.dataBits < 5 || s.dataBits > 8)
        return QStringLiteral("Unsupported number of data bits: %1.").arg(s.dataBits);
    if (s.parity < 0 || s.parity > 4)
        return QStringLiteral("Unsupported parity code: %1.").arg(s.parity);
    return {};
}

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

QString inUseBy(pid_t holder, const QString& path)
{
    return path + QStringLiteral(" is in use by ") + describeProcess(holder) + QLatin1Char('.');
}

// Held by a program that cannot be named.
QString heldExclusively(const QString& path)
{
    return path + QStringLiteral(" is in use by another program.");
}

QString systemError(int error, const QString& path)
{
    return path + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

PortAccess::PortAccess(UucpLocks locks) : m_locks(std::move(locks)) {}

PortAccess::~PortAccess() { release(); }

int PortAccess::refuse(const QString& reason, QString* why)
{
    release();
    if (why)
        *why = reason;
    return -1;
}

void PortAccess::release()
{
    if (m_fd < 0)
        return;
    // Only a line that was ours gets its settings back and its exclusive hold let go: a
    // device refused because another program has it stays as that program set it. On a
    // device that has gone away these fail, and nothing more is needed.
    if (std::exchange(m_lineTaken, false)) {
        ::tcsetattr(m_fd, TCSANOW, &m_own);
        ::ioctl(m_fd, TIOCNXCL);
    }
    ::close(m_fd);
    m_fd = -1;
    m_locks.drop();
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
    default: return systemError(error, path);
    }
}

int PortAccess::open(const QString& path, const LineSettings& settings, QString* why)
{
    release();
    if (const QString reason = unsupported(settings); !reason.isEmpty())
        return refuse(reason, why);
    const QByteArray native = path.toLocal8Bit();
    struct stat st;
    if (::stat(native.constData(), &st) != 0)
        return refuse(errno == EACCES ? permissionDenied(path) : notPresent(path), why);
    if (!S_ISCHR(st.st_mode))
        return refuse(notSerial(path, st), why);
    // Lock files first: a device that a lock file gives to another program is not opened at
    // all, which could disturb its line.
    if (const pid_t holder = m_locks.liveHolder(path))
        return refuse(inUseBy(holder, path), why);
    m_fd = ::open(native.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_fd < 0)
        return refuse(openFailure(errno, path, st.st_rdev), why);
    if (::tcgetattr(m_fd, &m_own) != 0) {
        const QString reason = errno == EIO ? notPresent(path) : notSerial(path, st);
        return refuse(reason, why); // not a line: nothing of it to give back
    }
    if (!takeLine(path, st.st_rdev, why) || !applySettings(path, settings, why))
        return -1;
    m_users.portOpened();
    return m_fd;
}

// Ours alone from here: no other process has the device open, none may open it, and the lock
// file tells the programs that look for it.
bool PortAccess::takeLine(const QString& path, dev_t device, QString* why)
{
    // This process's own descriptor is not counted: only other processes are.
    if (const pid_t holder = m_users.otherUser(device)) {
        refuse(inUseBy(holder, path), why);
        return false;
    }
    ::ioctl(m_fd, TIOCEXCL);
    m_lineTaken = true;
    pid_t holder = 0;
    if (!m_locks.take(path, &holder)) {
        refuse(holder ? inUseBy(holder, path) : heldExclusively(path), why);
        return false;
    }
    return true;
}

// A setting that the device quietly keeps as it was (a pseudo-terminal keeps 8 data bits and
// no parity) is not a refusal: only an error from the device is.
bool PortAccess::applySettings(const QString& path, const LineSettings& settings, QString* why)
{
    const termios line = lineTermios(m_own, settings);
    const bool applied =
        ::tcsetattr(m_fd, TCSANOW, &line) == 0 &&
        (standardSpeed(settings.baudRate) != B0 || setAnyLineSpeed(m_fd, settings.baudRate));
    if (!applied)
        refuse(errno == EIO ? notPresent(path) : systemError(errno, path), why);
    return applied;
}
