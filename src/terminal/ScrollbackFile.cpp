#include "ScrollbackFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString systemReason(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

// A file without a name where the file system can make one, else a fresh name that is
// unlinked at once. O_EXCL and O_NOFOLLOW never open what is already there, a link included.
// (The folder itself may be a link: people move their cache folder to another disk.)
int openNameless(const QByteArray& folder)
{
    const int flags = O_RDWR | O_CLOEXEC;
    const int fd = ::open(folder.constData(), O_TMPFILE | flags, 0600);
    if (fd >= 0 || (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL))
        return fd;
    const QByteArray name = folder + "/scrollback-" + QByteArray::number(::getpid()) + '-' +
                            QByteArray::number(QRandomGenerator::global()->generate64(), 36);
    const int named = ::open(name.constData(), O_CREAT | O_EXCL | O_NOFOLLOW | flags, 0600);
    if (named >= 0)
        ::unlink(name.constData());
    return named;
}

} // namespace

ScrollbackFile::~ScrollbackFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

std::optional<QString> ScrollbackFile::open(const QString& folder)
{
    m_folder = folder;
    const QByteArray path = QFile::encodeName(folder);
    QDir().mkpath(QFileInfo(folder).absolutePath());
    if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST)
        return systemReason(errno);
    const int fd = openNameless(path);
    if (fd < 0)
        return systemReason(errno);
    struct stat opened {};
    if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
        ::close(fd);
        return systemReason(EINVAL);
    }
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = fd;
    m_size = 0;
    return std::nullopt;
}

std::optional<QString> ScrollbackFile::append(const char* bytes, qint64 n)
{
    if (m_fd < 0)
        return systemReason(EBADF);
    qint64 done = 0;
    while (done < n) {
        const ssize_t written = ::pwrite(m_fd, bytes + done, size_t(n - done), m_size + done);
        if (written > 0) {
            done += written;
            continue;
        }
        if (written < 0 && errno == EINTR)
            continue;
        const int error = written < 0 ? errno : ENOSPC;
        // What part of the block did fit is given back: the file ends in whole blocks.
        if (::ftruncate(m_fd, m_size) != 0) {
        }
        return systemReason(error);
    }
    m_size += n;
    return std::nullopt;
}

bool ScrollbackFile::read(qint64 offset, char* out, qint64 n) const
{
    qint64 done = 0;
    while (m_fd >= 0 && done < n) {
        const ssize_t got = ::pread(m_fd, out + done, size_t(n - done), offset + done);
        if (got > 0)
            done += got;
        else if (got < 0 && errno == EINTR)
            continue;
        else
            break;
    }
    return done == n;
}

void ScrollbackFile::clear()
{
    if (m_fd >= 0 && ::ftruncate(m_fd, 0) == 0)
        m_size = 0;
}
