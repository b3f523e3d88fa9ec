#include "FileDownload.h"

#include "DownloadLines.h"
#include "DownloadRun.h"
#include "FileKind.h"
#include "Serial_io.h"
#include "TerminalCore.h"
#include "UserPrompts.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
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
// A send longer than this at the pace is asked about first.
constexpr qint64 askAboveMs = 60'000;

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
    // Back to the first byte, to send what was measured.
    bool rewind() { return ::lseek(m_fd, 0, SEEK_SET) == 0; }

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

// Reads the file through the splitter, which hands each line to `onLine`; false when a read
// failed (errno tells why), and then a last line without a line end is not handed over.
bool readThrough(DownloadSource& source, DownloadLines& lines,
                 const DownloadLines::LineHandler& onLine)
{
    auto buffer = std::make_unique<std::array<char, readChunkBytes>>();
    for (;;) {
        const ssize_t n = source.read(*buffer);
        if (n < 0)
            return false;
        if (n == 0)
            break;
        if (!lines.take(QByteArrayView(buffer->data(), n), onLine))
            break;
    }
    lines.finish(onLine);
    return true;
}

// The lines the download will send and the time they take at the pace, counted by the
// splitter that sends them as the file is read: a file of any size costs no more memory
// than its longest line. Nothing when the file cannot be read (errno tells why).
std::optional<DownloadRun::Plan> measure(DownloadSource& source, bool multiplex)
{
    DownloadRun::Plan plan;
    DownloadLines lines;
    const bool read = readThrough(source, lines, [&](const QString& line) {
        ++plan.lines;
        plan.pacedMs += Serial_io::c_putsMs(line.size(), multiplex);
    });
    if (!read)
        return std::nullopt;
    return plan;
}

// "Sending 120 lines will take about 00:03:05. Send?"
QString sendingQuestion(const DownloadRun::Plan& plan)
{
    const qint64 seconds = (plan.pacedMs + 500) / 1000;
    const auto twoDigits = [](qint64 value) {
        return QStringLiteral("%1").arg(value, 2, 10, QChar(u'0'));
    };
    return QStringLiteral("Sending %1 %2 will take about %3:%4:%5. Send?")
        .arg(plan.lines)
        .arg(plan.lines == 1 ? QStringLiteral("line") : QStringLiteral("lines"))
        .arg(twoDigits(seconds / 3600), twoDigits(seconds / 60 % 60), twoDigits(seconds % 60));
}

// How the sending of the lines ended.
struct SendOutcome {
    enum class Ending { Complete, Stopped, PortLost, Overlong, ReadError };
    Ending ending = Ending::Complete;
    qint64 linesBegun = 0; // lines of which bytes went out, or were to
    qint64 linesSent = 0;  // lines sent to their end, as panel 1 counts them
    int error = 0;         // errno of a failed read
};
using Ending = SendOutcome::Ending;

// Sends the file's lines, each counted in panel 1, until the end of the file, a stop asked
// by a person, the loss of the port, an overlong line or a read error.
SendOutcome sendLines(TerminalCore& core, DownloadSource& source)
{
    // A port lost during the download stops it: the rest of the file would go nowhere.
    const bool portAtStart = core.io().portUsable();
    const DownloadRun& run = core.download();
    SendOutcome outcome;
    DownloadLines lines;
    const DownloadLines::LineHandler sendLine = [&](const QString& line) {
        if (!run.stopRequested()) {
            ++outcome.linesBegun;
            core.io().c_puts(line);
        }
        // Stopped before this line or while it went out: the rest stays unsent.
        if (run.stopRequested()) {
            outcome.ending = Ending::Stopped;
            lines.stop();
            return;
        }
        core.shown().setPanel(progressPanel, downloadProgress(++outcome.linesSent));
        if (portAtStart && !core.io().portUsable()) {
            outcome.ending = Ending::PortLost;
            lines.stop();
        }
    };
    if (!readThrough(source, lines, sendLine)) {
        outcome.ending = Ending::ReadError;
        outcome.error = errno;
    } else if (outcome.ending == Ending::Complete && lines.foundOverlongLine()) {
        outcome.ending = Ending::Overlong;
    }
    return outcome;
}

// A note of the program's own on a line of its own: what arrives next goes on the line
// after it.
void noteInList(TerminalCore& core, const QString& note)
{
    if (core.lines().isEmpty() || !core.lines().lastLine().isEmpty())
        core.list().addLine(QString());
    core.list().AddtoList(1, note);
}

// What a person sees of the end of a download once it has ended.
void showEnding(TerminalCore& core, const QString& fileName, const DownloadRun::Plan& plan,
                const SendOutcome& outcome)
{
    switch (outcome.ending) {
    case Ending::Complete: core.shown().setPanel(progressPanel, QString()); break;
    case Ending::Stopped:
        core.shown().setPanel(progressPanel, QString());
        // A file that grew after it was measured has more lines than were counted.
        noteInList(core, QStringLiteral("Download stopped at line %1 of %2")
                             .arg(outcome.linesBegun)
                             .arg(std::max(plan.lines, outcome.linesBegun)));
        break;
    case Ending::PortLost:
        reportStop(core, fileName,
                   QStringLiteral("The port was lost while line %1 was sent; the download "
                                  "stopped there.")
                       .arg(outcome.linesSent));
        break;
    case Ending::Overlong:
        reportStop(core, fileName,
                   QStringLiteral("Line %1 is longer than %2 characters: this is not a text "
                                  "file. The lines before it were sent.")
                       .arg(outcome.linesSent + 1)
                       .arg(DownloadLines::longestLine));
        break;
    case Ending::ReadError: reportFileError(core, fileName, outcome.error); break;
    }
}

} // namespace

QString downloadProgress(qint64 count) { return QStringLiteral("Line ") + QString::number(count); }

void DownloadFileClick(TerminalCore& core)
{
    const std::optional<QString> fileName = core.prompts().askDownloadFile();
    if (!fileName) {
        core.shown().setPanel(progressPanel, QString());
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
    const std::optional<DownloadRun::Plan> plan = measure(source, core.state().MUX1);
    if (!plan || !source.rewind()) {
        reportFileError(core, *fileName, errno);
        return;
    }
    // Through a port that is not open the lines take no time.
    if (core.io().portUsable() && plan->pacedMs > askAboveMs &&
        !core.prompts().askToSend(sendingQuestion(*plan))) {
        core.shown().setPanel(progressPanel, QString());
        return;
    }
    core.download().begin(*plan);
    const SendOutcome outcome = sendLines(core, source);
    core.download().end();
    showEnding(core, *fileName, *plan, outcome);
}

} // namespace commands
