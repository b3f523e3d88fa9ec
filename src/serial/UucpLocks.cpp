#include "UucpLocks.h"

#include "WriteAll.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A lock file that names no process is taken for one being written for this long; after that
// it is a stale leftover.
constexpr time_t unreadableLockStaleSeconds = 10;

// The process number a lock file holds, or 0 when it holds none that can be read. A link in
// the lock directory is never followed.
pid_t lockOwner(const QString& lockPath)
{
    const int fd = ::open(QFile::encodeName(lockPath).constData(),
                          O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return 0;
    char text[64];
    const ssize_t n = ::read(fd, text, sizeof text - 1);
    ::close(fd);
    if (n <= 0)
        return 0;
    bool ok = false;
    const qint64 pid = QByteArray(text, n).split('\n').value(0).trimmed().toLongLong(&ok);
    return ok && pid > 0 && pid <= 0x7fffffff ? pid_t(pid) : 0;
}

bool recentlyChanged(const QString& lockPath)
{
    struct stat st;
    if (::lstat(QFile::encodeName(lockPath).constData(), &st) != 0)
        return false;
    return std::time(nullptr) - st.st_mtime < unreadableLockStaleSeconds;
}

} // namespace

bool processRuns(pid_t pid) { return ::kill(pid, 0) == 0 || errno == EPERM; }

UucpLocks::UucpLocks(QStringList dirs) : m_dirs(std::move(dirs)) {}

QStringList UucpLocks::standardDirs()
{
    QStringList dirs;
    QStringList seen;
    for (const QString& dir : {QStringLiteral("/run/lock"), QStringLiteral("/var/lock")}) {
        const QString real = QFileInfo(dir).canonicalFilePath();
        if (real.isEmpty() || seen.contains(real))
            continue;
        seen.append(real);
        dirs.append(dir);
    }
    return dirs;
}

QString UucpLocks::fileName(const QString& devicePath)
{
    QString name = devicePath;
    if (name.startsWith(QStringLiteral("/dev/")))
        name.remove(0, 5);
    return QStringLiteral("LCK..") + name.replace(QLatin1Char('/'), QLatin1Char('_'));
}

pid_t UucpLocks::liveHolder(const QString& devicePath) const
{
    const QString name = fileName(devicePath);
    for (const QString& dir : m_dirs) {
        const QString path = dir + QLatin1Char('/') + name;
        const pid_t owner = lockOwner(path);
        if (owner == 0 || owner == ::getpid())
            continue; // unreadable, being written, or this process's: take() judges those
        if (processRuns(owner))
            return owner;
        QFile::remove(path);
    }
    return 0;
}

UucpLocks::Create UucpLocks::create(const QString& lockPath) const
{
    const QByteArray native = QFile::encodeName(lockPath);
    const int fd =
        ::open(native.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0)
        return errno == EEXIST ? Create::Exists : Create::NotHere;
    ::fchmod(fd, 0644); // readable by every program that looks, whatever the umask
    const bool written =
        writeAll(fd, QByteArray::number(::getpid()).rightJustified(10, ' ') + '\n');
    if (::close(fd) != 0 || !written) { // a full disk: no half-written lock is left behind
        ::unlink(native.constData());
        return Create::NotHere;
    }
    return Create::Written;
}

bool UucpLocks::take(const QString& devicePath, pid_t* holder)
{
    drop();
    *holder = 0;
    const QString name = fileName(devicePath);
    for (const QString& dir : m_dirs) {
        const QString path = dir + QLatin1Char('/') + name;
        // A stale file is replaced once; a second one in its place belongs to a program
        // that is taking the device right now.
        for (int attempt = 0; attempt < 2; ++attempt) {
            const Create created = create(path);
            if (created == Create::Written) {
                m_taken = path;
                return true;
            }
            if (created == Create::NotHere)
                break; // try the next directory
            const pid_t owner = lockOwner(path);
            if (owner == ::getpid() || (owner == 0 && recentlyChanged(path)))
                return false; // held, by nobody this program can name
            if (owner != 0 && processRuns(owner)) {
                *holder = owner;
                return false;
            }
            ::unlink(QFile::encodeName(path).constData()); // stale
        }
    }
    return true;
}

void UucpLocks::drop()
{
    if (m_taken.isEmpty())
        return;
    if (lockOwner(m_taken) == ::getpid())
        ::unlink(QFile::encodeName(m_taken).constData());
    m_taken.clear();
}
