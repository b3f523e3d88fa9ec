#include "CaptureLog.h"

#include "TerminalTexts.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

QString systemReason(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

// The file is opened for appending, by the system's own calls: every write lands after the
// last byte, nothing already there is ever cut, and a device or pipe chosen as the file
// works too.
class AppendingFile {
public:
    AppendingFile(const QString& path, int extraFlags)
        : m_fd(::open(QFile::encodeName(path).constData(),
                      O_WRONLY | O_APPEND | O_CLOEXEC | extraFlags, 0666)),
          m_error(m_fd < 0 ? errno : 0)
    {
    }
    ~AppendingFile()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    AppendingFile(const AppendingFile&) = delete;
    AppendingFile& operator=(const AppendingFile&) = delete;

    int error() const { return m_error; }

    // All the bytes, or none: a write that fails part way (a disk that fills up) is cut off
    // again, so the file holds whole records only and the next write starts a record.
    bool write(const QByteArray& bytes)
    {
        struct stat before {};
        const bool plainFile = ::fstat(m_fd, &before) == 0 && S_ISREG(before.st_mode);
        if (writeAll(bytes))
            return true;
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
    bool writeAll(const QByteArray& bytes)
    {
        qsizetype done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(m_fd, bytes.constData() + done, size_t(bytes.size() - done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                m_error = n < 0 ? errno : EIO;
                return false;
            }
            done += n;
        }
        return true;
    }

    int m_fd;
    int m_error;
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
    AppendingFile file(fileName, O_CREAT);
    if (file.error() || !file.close())
        return systemReason(file.error());
    return std::nullopt;
}

void CaptureLog::stop()
{
    m_fileName.clear();
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

std::optional<QString> CaptureLog::flush()
{
    if (m_pending.isEmpty())
        return std::nullopt;
    const std::optional<QString> failure = append();
    m_pending.clear();
    const bool episodeBegins = failure && !m_failing;
    m_failing = failure.has_value();
    return episodeBegins ? failure : std::nullopt;
}

// A file that was deleted while capturing is not made again: records written to a file
// nobody can find any more would be lost without a word.
std::optional<QString> CaptureLog::append()
{
    AppendingFile file(m_fileName, 0);
    if (file.error() == ENOENT)
        return texts::logFileGone;
    if (file.error() || !file.write(m_pending) || !file.close())
        return systemReason(file.error());
    return std::nullopt;
}
