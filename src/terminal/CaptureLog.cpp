#include "CaptureLog.h"

#include "FileKind.h"
#include "TerminalTexts.h"
#include "WriteAll.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

QString systemReason(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

// What the capture takes: a plain file, or a character device such as /dev/null. The reason
// when it is something else (a named pipe, a socket, a block device).
std::optional<QString> refusalOf(mode_t mode)
{
    if (S_ISCHR(mode))
        return std::nullopt;
    return notAFile(mode, QStringLiteral("Log captures to files only."));
}

// The file is opened for appending, by the system's own calls: every write lands after the
// last byte, and nothing already there is ever cut. The open never waits: a named pipe
// without a reader fails at once rather than holding the window. A plain file is then
// written as usual (it never makes a write wait anyway); a device stays without waiting,
// so one that takes no more fails the write instead of freezing the window.
class AppendingFile {
public:
    AppendingFile(const QString& path, int extraFlags)
        : m_fd(::open(QFile::encodeName(path).constData(),
                      O_WRONLY | O_APPEND | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | extraFlags, 0666))
    {
        if (m_fd < 0 || ::fstat(m_fd, &m_info) != 0) {
            m_error = errno;
            return;
        }
        if (S_ISREG(m_info.st_mode))
            ::fcntl(m_fd, F_SETFL, ::fcntl(m_fd, F_GETFL) & ~O_NONBLOCK);
    }
    ~AppendingFile()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    AppendingFile(const AppendingFile&) = delete;
    AppendingFile& operator=(const AppendingFile&) = delete;

    int error() const { return m_error; }
    // What was opened, as fstat tells it; valid when there was no error.
    const struct stat& info() const { return m_info; }

    // All the bytes, or none: a write that fails part way (a disk that fills up) is cut off
    // again, so the file holds whole records only and the next write starts a record.
    bool write(const QByteArray& bytes)
    {
        struct stat before {};
        const bool plainFile = ::fstat(m_fd, &before) == 0 && S_ISREG(before.st_mode);
        if (::writeAll(m_fd, bytes))
            return true;
        m_error = errno;
        if (plainFile)
            (void)::ftruncate(m_fd, before.st_size);
        return false;
    }

    // Closing is where some file systems report a write that did not reach the disk.
    bool close()
    {
        const int fd = std::exchange(m_fd, -1);
        if (::close(fd) != 0 && errno != EINTR) {
            m_error = errno;
            return false;
        }
        return true;
    }

private:
    int m_fd;
    int m_error = 0;
    struct stat m_info {};
};

} // namespace

const std::array<const char*, 13> monthNames{"???", "Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                             "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

QString proposedLogFileName(const QDateTime& now)
{
    const QDate date = now.date();
    const QTime time = now.time();
    return QString::asprintf("%.2d%s%d-%dh%.2d", date.day(), monthNames.at(date.month()),
                             date.year(), time.hour(), time.minute()) +
           QStringLiteral(".csv");
}

std::optional<QString> CaptureLog::start(const QString& fileName)
{
    m_fileName = fileName;
    m_pending.clear();
    m_failing = false;
    m_goingWellSince.reset();
    AppendingFile file(fileName, O_CREAT);
    if (file.error()) {
        // A named pipe without a reader fails to open: say what it is rather than the
        // system's words for that.
        struct stat info {};
        if (::stat(QFile::encodeName(fileName).constData(), &info) == 0)
            if (std::optional<QString> refusal = refusalOf(info.st_mode))
                return refusal;
        return systemReason(file.error());
    }
    if (std::optional<QString> refusal = refusalOf(file.info().st_mode))
        return refusal;
    m_identity = identityOf(file.info());
    const QString target = QFileInfo(fileName).canonicalFilePath();
    m_path = target.isEmpty() ? fileName : target;
    if (!file.close())
        return systemReason(file.error());
    return std::nullopt;
}

void CaptureLog::stop()
{
    m_fileName.clear();
    m_path.clear();
    m_pending.clear();
}

void CaptureLog::add(const QString& record)
{
    m_pending += record.toUtf8();
    m_pending += "\r\n";
}

void CaptureLog::addLatin1(QByteArrayView record)
{
    for (const char c : record) {
        const auto code = static_cast<unsigned char>(c);
        if (code < 0x80) {
            m_pending += c;
        } else {
            m_pending += char(0xC0 | (code >> 6));
            m_pending += char(0x80 | (code & 0x3F));
        }
    }
    m_pending += "\r\n";
}

std::optional<QString> CaptureLog::flush(qint64 tick)
{
    if (m_pending.isEmpty())
        return std::nullopt;
    const std::optional<QString> failure = append();
    m_pending.clear();
    if (failure) {
        m_goingWellSince.reset();
        const bool spellBegins = !std::exchange(m_failing, true);
        return spellBegins ? failure : std::nullopt;
    }
    if (m_failing) {
        if (!m_goingWellSince)
            m_goingWellSince = tick;
        else if (tick - *m_goingWellSince >= ticksEndingASpell) {
            m_failing = false;
            m_goingWellSince.reset();
        }
    }
    return std::nullopt;
}

// A file that was deleted while capturing is not made again, and a file or link put in its
// place is not written: records written to a file nobody can find any more would be lost
// without a word, and a planted link would carry them into any file the user may write.
std::optional<QString> CaptureLog::append()
{
    AppendingFile file(m_path, O_NOFOLLOW);
    if (file.error())
        return stillThere() ? systemReason(file.error()) : texts::logFileGone;
    if (identityOf(file.info()) != m_identity)
        return texts::logFileGone;
    if (!file.write(m_pending) || !file.close())
        return systemReason(file.error());
    return std::nullopt;
}

// The capture's path still names the file it started with, not a link or another file.
bool CaptureLog::stillThere() const
{
    struct stat info {};
    return ::lstat(QFile::encodeName(m_path).constData(), &info) == 0 &&
           identityOf(info) == m_identity;
}

CaptureLog::Identity CaptureLog::identityOf(const struct stat& info)
{
    return {info.st_dev, info.st_ino, mode_t(info.st_mode & S_IFMT)};
}
