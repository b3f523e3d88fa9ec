#include "FileDownload.h"

#include "DownloadLines.h"
#include "FileKind.h"
#include "TerminalCore.h"
#include "UserPrompts.h"

#include <QFile>
#include <QFileInfo>
#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace commands {

namespace {

constexpr int progressPanel = 1;
constexpr std::size_t readChunkBytes = 64 * 1024;

// The message a person sees for a file that cannot be opened or read, and the system's
// own words for the reason.
void reportFileError(TerminalCore& core, const QString& fileName, int error)
{
    const QString text = error == EACCES || error == EPERM
                             ? QStringLiteral("File access denied")
                             : QStringLiteral("I/O error %1").arg(error);
    core.prompts().showMessage(text, fileName + QStringLiteral(": ") +
                                         QString::fromLocal8Bit(std::strerror(error)));
}

// The chosen file, open for reading. Opened without blocking: should a pipe or a device take
// the file's place after it was looked at, having nothing to give ends the download instead
// of stopping the program for good.
class DownloadSource {
public:
    explicit DownloadSource(const QString& fileName)
        : m_fd(::open(QFile::encodeName(fileName).constData(),
                      O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC))
    {
    }
    ~DownloadSource()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    DownloadSource(const DownloadSource&) = delete;
    DownloadSource& operator=(const DownloadSource&) = delete;

    bool isOpen() const { return m_fd >= 0; }

    // The next bytes of the file into `buffer`: their number, 0 at the end of the file, or
    // -1 with errno telling the error.
    ssize_t read(std::array<char, readChunkBytes>& buffer)
    {
        for (;;) {
            const ssize_t n = ::read(m_fd, buffer.data(), buffer.size());
            if (n >= 0)
                return n;
            if (errno == EAGAIN || errno == EWOULDBLOCK)
                return 0;
            if (errno != EINTR)
                return -1;
        }
    }

private:
    int m_fd;
};

// Why a download stopped before the end of its file.
void reportStop(TerminalCore& core, const QString& fileName, const QString& why)
{
    core.prompts().showMessage(QStringLiteral("Unable to Send File ") + fileName, why);
}

// Files that are not plain files are not sent: a named pipe may never end or never give a
// byte, a device such as /dev/zero gives bytes without end. The reason, or nothing for a
// plain file (or a folder, whose read fails with the system's own reason).
std::optional<QString> refusalOf(const QString& fileName)
{
    struct stat info {};
    if (::stat(QFile::encodeName(fileName).constData(), &info) != 0)
        return std::nullopt;
    return notAFile(info.st_mode, QStringLiteral("Download File sends files only."));
}

// Sends the file's lines; false when the download stopped before the end of the file
// (already reported).
bool sendLines(TerminalCore& core, const QString& fileName, DownloadSource& source)
{
    // A port lost during the download stops it: the rest of the file would go nowhere.
    const bool portAtStart = core.io().portUsable();
    bool portLost = false;
    int count = 0;
    DownloadLines lines;
    const DownloadLines::LineHandler sendLine = [&](const QString& line) {
        core.io().c_puts(line);
        core.setPanel(progressPanel, downloadProgress(++count));
        if (portAtStart && !core.io().portUsable()) {
            portLost = true;
            lines.stop();
        }
    };
    auto buffer = std::make_unique<std::array<char, readChunkBytes>>();
    for (;;) {
        const ssize_t n = source.read(*buffer);
        if (n < 0) {
            reportFileError(core, fileName, errno);
            return false;
        }
        if (n == 0)
            break;
        if (!lines.take(QByteArrayView(buffer->data(), n), sendLine))
            break;
    }
    lines.finish(sendLine);
    if (portLost) {
        reportStop(core, fileName,
                   QStringLiteral("The port was lost while line %1 was sent; the download "
                                  "stopped there.")
                       .arg(count));
        return false;
    }
    if (lines.foundOverlongLine()) {
        reportStop(core, fileName,
                   QStringLiteral("Line %1 is longer than %2 characters: this is not a text "
                                  "file. The lines before it were sent.")
                       .arg(count + 1)
                       .arg(DownloadLines::longestLine));
        return false;
    }
    return true;
}

} // namespace

QString downloadProgress(int count) { return QStringLiteral("Line ") + QString::number(count); }

void DownloadFileClick(TerminalCore& core)
{
    const std::optional<QString> fileName = core.prompts().askDownloadFile();
    if (!fileName) {
        core.setPanel(progressPanel, QString());
        return;
    }
    if (!QFileInfo::exists(*fileName))
        return;
    if (const std::optional<QString> refusal = refusalOf(*fileName)) {
        reportStop(core, *fileName, *refusal);
        return;
    }
    DownloadSource source(*fileName);
    if (!source.isOpen()) {
        reportFileError(core, *fileName, errno);
        return;
    }
    if (sendLines(core, *fileName, source))
        core.setPanel(progressPanel, QString());
}

} // namespace commands
