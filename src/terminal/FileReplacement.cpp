#include "FileReplacement.h"

#include "WriteAll.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// As many links as the system itself follows before it calls it a loop.
constexpr int mostLinks = 40;

QString systemReason(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

QString folderOf(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash <= 0 ? QStringLiteral("/") : path.left(slash);
}

QString kindOf(mode_t mode)
{
    if (S_ISDIR(mode))
        return QStringLiteral("a folder");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("a device");
    if (S_ISFIFO(mode))
        return QStringLiteral("a named pipe");
    if (S_ISSOCK(mode))
        return QStringLiteral("a socket");
    return QStringLiteral("not a plain file");
}

// Why the file `path` leads to, `end`, is not one to write.
FileTarget refused(const QString& path, const QString& end, const QString& what)
{
    const QString subject =
        end == path ? path : QStringLiteral("%1 links to %2, which").arg(path, end);
    return {QString(), QStringLiteral("%1 %2").arg(subject, what)};
}

// Closes the descriptor when it goes.
class Descriptor {
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

// What an attempt at the write returns when its temporary was taken away before it was
// locked, by a start-up cleaning up at that very moment: it is worth another attempt.
constexpr int takenAway = -1;

// One attempt at the write, through a new temporary: 0 when done, takenAway, or the error
// that stopped it.
int replaceThroughTemporary(const QByteArray& target, const QByteArray& content,
                            const struct stat* old)
{
    QByteArray temporary = target + ".XXXXXX";
    const Descriptor fd(::mkostemp(temporary.data(), O_CLOEXEC));
    if (fd.get() < 0)
        return errno;
    // A cleaning that opened it first holds its lock a moment, and may have removed it. On a
    // file system without locks the cleaning cannot lock it either, and leaves it alone.
    (void)::flock(fd.get(), LOCK_EX);
    struct stat own {};
    if (::fstat(fd.get(), &own) != 0 || own.st_nlink == 0)
        return takenAway;
    if (old) {
        (void)::fchmod(fd.get(), old->st_mode & 07777);
        (void)::fchown(fd.get(), old->st_uid, old->st_gid); // when run as another user
    }
    int error = 0;
    if (!writeAll(fd.get(), content) || ::fsync(fd.get()) != 0 ||
        ::rename(temporary.constData(), target.constData()) != 0)
        error = errno;
    if (error != 0)
        ::unlink(temporary.constData());
    return error;
}

// "x.ini.Ab12Cd", "x.ini.Ab12Cd.lock", "x.ini.Ab12Cd.Ef34Gh" (Qt's own temporary for it) and
// "x.ini.lock". Six letters of one case (".backup") may be a copy a person made: those stay.
bool isTemporaryName(const QString& entry, const QString& fileName)
{
    static const QRegularExpression random(
        QRegularExpression::anchoredPattern(QStringLiteral("(\\.[A-Za-z0-9]{6}){0,2}(\\.lock)?")));
    static const QRegularExpression word(QStringLiteral("\\.([a-z]{6}|[A-Z]{6})(\\.|\\z)"));
    if (!entry.startsWith(fileName) || entry == fileName)
        return false;
    const QString rest = entry.mid(fileName.size());
    return random.match(rest).hasMatch() && !word.match(rest).hasMatch();
}

// Removes the file when it is a plain file of this user's that no process holds a lock on.
void removeWhenUnlocked(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    const Descriptor fd(
        ::open(name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat opened {};
    if (fd.get() < 0 || ::fstat(fd.get(), &opened) != 0 || !S_ISREG(opened.st_mode) ||
        opened.st_uid != ::geteuid() || ::flock(fd.get(), LOCK_EX | LOCK_NB) != 0)
        return;
    // Still the file that was opened, not one that has taken its name since.
    struct stat named {};
    if (::lstat(name.constData(), &named) == 0 && named.st_dev == opened.st_dev &&
        named.st_ino == opened.st_ino)
        ::unlink(name.constData());
}

} // namespace

FileTarget fileTarget(const QString& path)
{
    QString end = path;
    for (int links = 0; links <= mostLinks; ++links) {
        const QByteArray name = QFile::encodeName(end);
        struct stat entry {};
        if (::lstat(name.constData(), &entry) != 0) {
            if (errno != ENOENT)
                return refused(path, end,
                               QStringLiteral("cannot be reached: ") + systemReason(errno));
            struct stat folder {};
            if (::stat(QFile::encodeName(folderOf(end)).constData(), &folder) != 0 ||
                !S_ISDIR(folder.st_mode))
                return refused(path, end, QStringLiteral("is in a folder that does not exist"));
            return {end, QString()};
        }
        if (S_ISREG(entry.st_mode))
            return {end, QString()};
        if (!S_ISLNK(entry.st_mode))
            return refused(path, end,
                           QStringLiteral("is %1, not a file").arg(kindOf(entry.st_mode)));
        char buffer[PATH_MAX];
        const ssize_t length = ::readlink(name.constData(), buffer, sizeof buffer);
        if (length <= 0 || length == ssize_t(sizeof buffer))
            return refused(path, end, QStringLiteral("is a link that cannot be read"));
        const QString linked = QFile::decodeName(QByteArray(buffer, length));
        end = linked.startsWith(QLatin1Char('/')) ? linked : folderOf(end) + '/' + linked;
    }
    return refused(path, end, QStringLiteral("is in a loop of links"));
}

bool replaceFile(const QString& path, const QByteArray& content, QString* why)
{
    const FileTarget target = fileTarget(path);
    if (target.path.isEmpty()) {
        if (why)
            *why = target.refusal;
        return false;
    }
    const QByteArray name = QFile::encodeName(target.path);
    struct stat old {};
    const bool replacing = ::stat(name.constData(), &old) == 0;
    int error = takenAway;
    for (int attempt = 0; attempt < 3 && error == takenAway; ++attempt)
        error = replaceThroughTemporary(name, content, replacing ? &old : nullptr);
    if (error != 0 && why)
        *why = target.path + QStringLiteral(": ") +
               (error == takenAway ? QStringLiteral("its new file kept vanishing")
                                   : systemReason(error));
    return error == 0;
}

void removeLeftoverTemporaries(const QString& path)
{
    const FileTarget target = fileTarget(path);
    if (target.path.isEmpty())
        return;
    const QString folder = folderOf(target.path);
    const QString fileName = target.path.mid(folder.size() + 1);
    const QDir dir(folder);
    for (const QString& entry : dir.entryList(QDir::Files | QDir::Hidden | QDir::System))
        if (isTemporaryName(entry, fileName))
            removeWhenUnlocked(dir.filePath(entry));
}
