// serivox-module: a simulated radio module on a pseudo-terminal, linked as COMn in a ports
// folder, so that Serivox (or a test) has a module to talk to without hardware.
#include "ByteLog.h"
#include "LoadStream.h"
#include "Module.h"
#include "ModuleOptions.h"
#include "PtyLink.h"
#include "SpeedMismatch.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <optional>
#include <poll.h>
#include <sys/prctl.h>
#include <unistd.h>

namespace {

int stopPipe[2] = {-1, -1};

void onStopSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(stopPipe[1], &byte, 1);
}

bool catchStopSignals()
{
    if (::pipe2(stopPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return false;
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    ::sigemptyset(&action.sa_mask);
    for (const int signal : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(signal, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    return true;
}

// The end of the parent comes as SIGTERM, like any request to stop.
bool stopWithParent()
{
    const pid_t parent = ::getppid();
    if (::prctl(PR_SET_PDEATHSIG, SIGTERM) != 0)
        return false;
    if (::getppid() != parent) // it ended before it could be watched
        ::raise(SIGTERM);
    return true;
}

// While the terminal does not read, what the module sends waits here; the load stream makes
// no more lines until there is room, so memory stays bounded.
constexpr qsizetype outputBacklog = 64 * 1024;
// How often the line's speed is looked at, when the module cares about it.
constexpr int speedPollMs = 20;
// With no terminal on the line a read may fail at once; wait a little before trying again.
constexpr int idleRetryMs = 50;

class ModuleLoop {
public:
    ModuleLoop(const ModuleOptions& options, PtyLink& line, ByteLog& log)
        : m_options(options), m_line(line), m_log(log),
          m_module({options.timeScale, options.guardMs})
    {
        m_clock.start();
        if (options.load)
            m_load.emplace(options.lineRate, options.lineLength, options.lines);
        // Before anyone can know the line is there, so that no change of speed goes unseen.
        m_lastLineSpeed = m_line.lineSpeed();
    }

    void run()
    {
        if (m_options.banner)
            m_module.boot(now());
        if (m_load)
            m_load->start(now());
        while (!stopped()) {
            watchLineSpeed();
            m_module.advance(now());
            collectOutput();
            writeOutput();
            logNotes();
            waitAndRead();
        }
    }

private:
    qint64 now() const { return m_clock.elapsed(); }

    bool stopped() const
    {
        char byte;
        return ::read(stopPipe[0], &byte, 1) == 1;
    }

    bool speedsDiffer() const
    {
        return m_options.baudStrict && m_lastLineSpeed != m_module.state().settings.baudRate();
    }

    void watchLineSpeed()
    {
        if (!m_options.baudFollow && !m_options.baudStrict)
            return;
        const int speed = m_line.lineSpeed();
        if (speed == m_lastLineSpeed)
            return;
        m_lastLineSpeed = speed;
        m_log.note(QStringLiteral("the terminal set the line to %1 baud").arg(speed));
        if (m_options.baudFollow)
            m_module.followLineSpeed(speed);
    }

    void collectOutput()
    {
        QByteArray output = m_module.takeOutput();
        if (m_load && m_pending.size() < outputBacklog) {
            const bool wasFinished = m_load->finished();
            output += m_load->takeDue(now(), outputBacklog - m_pending.size());
            if (m_load->finished() && !wasFinished)
                m_log.note(QStringLiteral("load done: %1 lines").arg(m_load->linesSent()));
        }
        m_pending += speedsDiffer() ? garbled(output) : output;
    }

    void logNotes()
    {
        for (const QString& note : m_module.takeNotes())
            m_log.note(note);
    }

    void writeOutput()
    {
        while (!m_pending.isEmpty()) {
            const ssize_t n =
                ::write(m_line.master(), m_pending.constData(), size_t(m_pending.size()));
            if (n <= 0)
                return; // the line is full: the rest goes when it has room
            m_log.sent(m_pending.left(n));
            m_pending.remove(0, n);
        }
    }

    int waitMs() const
    {
        qint64 wait = 1000;
        const auto until = [&](qint64 dueMs) {
            if (dueMs >= 0)
                wait = std::min(wait, std::max<qint64>(0, dueMs - now()));
        };
        until(m_module.nextEventMs());
        if (m_load && m_pending.size() < outputBacklog)
            until(m_load->nextDueMs());
        if (m_options.baudFollow || m_options.baudStrict)
            wait = std::min<qint64>(wait, speedPollMs);
        return int(wait);
    }

    void waitAndRead()
    {
        const short lineEvents = POLLIN | (m_pending.isEmpty() ? 0 : POLLOUT);
        pollfd watched[] = {{m_line.master(), lineEvents, 0}, {stopPipe[0], POLLIN, 0}};
        if (::poll(watched, 2, waitMs()) <= 0 || !(watched[0].revents & (POLLIN | POLLHUP)))
            return;
        char buffer[4096];
        const ssize_t n = ::read(m_line.master(), buffer, sizeof buffer);
        if (n <= 0) {
            if (errno != EAGAIN && errno != EINTR)
                ::poll(nullptr, 0, idleRetryMs);
            return;
        }
        const QByteArray bytes(buffer, n);
        m_log.received(bytes);
        // The terminal sets the speed before it sends: look at the line before reading bytes.
        watchLineSpeed();
        if (speedsDiffer())
            m_log.note(QStringLiteral("the line runs at %1 baud, the module at %2: garbage")
                           .arg(m_lastLineSpeed)
                           .arg(m_module.state().settings.baudRate()));
        m_module.receive(speedsDiffer() ? garbled(bytes) : bytes, now());
    }

    const ModuleOptions& m_options;
    PtyLink& m_line;
    ByteLog& m_log;
    Module m_module;
    std::optional<LoadStream> m_load;
    QElapsedTimer m_clock;
    QByteArray m_pending;
    int m_lastLineSpeed = 0;
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const ParsedOptions parsed = parseModuleOptions(app.arguments());
    if (parsed.help) {
        std::fputs(moduleHelpText().toLocal8Bit().constData(), stdout);
        return 0;
    }
    if (!parsed.error.isEmpty()) {
        std::fprintf(stderr, "serivox-module: %s (see --help)\n", qPrintable(parsed.error));
        return 2;
    }
    const ModuleOptions& options = parsed.options;
    std::FILE* logFile = stderr;
    if (!options.logFile.isEmpty() &&
        !(logFile = std::fopen(options.logFile.toLocal8Bit().constData(), "a"))) {
        std::fprintf(stderr, "serivox-module: cannot write the log %s\n",
                     qPrintable(options.logFile));
        return 1;
    }
    if (!catchStopSignals() || (options.stopWithParent && !stopWithParent())) {
        std::fprintf(stderr, "serivox-module: cannot catch signals\n");
        return 1;
    }
    PtyLink line;
    const QString portsDir = options.portsDir.isEmpty() ? defaultPortsDir() : options.portsDir;
    if (!line.open(portsDir, options.com, options.replace)) {
        std::fprintf(stderr, "serivox-module: %s\n", qPrintable(line.error()));
        return 1;
    }
    ByteLog log(logFile);
    ModuleLoop loop(options, line, log);
    std::printf("serivox-module: COM%d -> %s (link %s)\n", options.com,
                qPrintable(line.slavePath()), qPrintable(line.linkPath()));
    std::fflush(stdout);
    loop.run();
    line.removeLink();
    return 0;
}
