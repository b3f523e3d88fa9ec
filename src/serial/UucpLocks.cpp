#include "UucpLocks.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <csignal>
#include <unistd.h>

namespace {

// The process number a lock file holds, or 0 when it holds none that can be read.
pid_t lockOwner(const QString& lockPath)
{
    QFile lock(lockPath);
    if (!lock.open(QIODevice::ReadOnly))
        return 0;
    bool ok = false;
    const qint64 pid = lock.readLine(64).trimmed().toLongLong(&ok);
    return ok && pid > 0 && pid <= 0x7fffffff ? pid_t(pid) : 0;
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
            continue; // unreadable, or being written: Qt Serial Port judges those itself
        if (processRuns(owner))
            return owner;
        QFile::remove(path);
    }
    return 0;
}
