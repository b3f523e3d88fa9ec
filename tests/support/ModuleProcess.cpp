#include "ModuleProcess.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QRegularExpression>

namespace {

// Generous: the module may be slow to start on a busy machine.
constexpr int startPatienceMs = 20000;
constexpr int stopPatienceMs = 10000;

// "RX 4F 4B 0D  |OK.|": the direction, then the bytes as hex pairs.
const QRegularExpression logLine(QStringLiteral("^(RX|TX) ((?:[0-9A-Fa-f]{2} ?)*)"));
// "serivox-module: COM1 -> /dev/pts/7 (link /home/me/.config/Serivox/ports/COM1)"
const QRegularExpression
    announcement(QStringLiteral("^serivox-module: COM(\\d+) -> (.+) \\(link (.+)\\)$"));

} // namespace

ModuleProcess::ModuleProcess(QString binary, Options options)
    : m_binary(std::move(binary)), m_options(std::move(options))
{
}

ModuleProcess::~ModuleProcess() { stop(); }

bool ModuleProcess::start(QString* why)
{
    QStringList arguments{QStringLiteral("--ports"),      m_options.portsDir,
                          QStringLiteral("--com"),        QString::number(m_options.com),
                          QStringLiteral("--log"),        logFile(),
                          QStringLiteral("--guard-ms"),   QString::number(m_options.guardMs),
                          QStringLiteral("--time-scale"), QString::number(m_options.timeScale)};
    // A test program that is killed leaves no module behind.
    arguments += QStringLiteral("--stop-with-parent");
    arguments += m_options.extraArguments;
    m_process.start(m_binary, arguments);
    if (!m_process.waitForStarted(startPatienceMs)) {
        *why = QStringLiteral("cannot start %1: %2").arg(m_binary, m_process.errorString());
        return false;
    }
    return readAnnouncement(why);
}

bool ModuleProcess::readAnnouncement(QString* why)
{
    const QDeadlineTimer deadline(startPatienceMs);
    while (!m_process.canReadLine()) {
        if (!running() || deadline.hasExpired()) {
            *why = QStringLiteral("the module did not say where it is: ") + errors();
            return false;
        }
        m_process.waitForReadyRead(100);
    }
    const QString line = QString::fromLocal8Bit(m_process.readLine()).trimmed();
    const QRegularExpressionMatch match = announcement.match(line);
    if (!match.hasMatch()) {
        *why = QStringLiteral("unexpected first line from the module: ") + line;
        return false;
    }
    m_com = match.captured(1).toInt();
    m_devicePath = match.captured(2);
    m_linkPath = match.captured(3);
    return true;
}

void ModuleProcess::stop()
{
    if (!running())
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(stopPatienceMs)) {
        m_process.kill();
        m_process.waitForFinished(stopPatienceMs);
    }
}

QString ModuleProcess::errors()
{
    m_stderr += m_process.readAllStandardError();
    return QString::fromLocal8Bit(m_stderr);
}

QByteArray ModuleProcess::logged(const QByteArray& direction) const
{
    QFile log(logFile());
    if (!log.open(QIODevice::ReadOnly))
        return {};
    QByteArray bytes;
    while (!log.atEnd()) {
        const QString line = QString::fromLatin1(log.readLine());
        if (!line.endsWith(QLatin1Char('\n')))
            break; // the module is writing this line right now
        const QRegularExpressionMatch match = logLine.match(line);
        if (match.hasMatch() && match.captured(1).toLatin1() == direction)
            bytes += QByteArray::fromHex(match.captured(2).toLatin1());
    }
    return bytes;
}
