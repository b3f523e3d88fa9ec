// The capture log at a 921600-baud line rate: 10-byte lines, Log on with both stamps.
// Checks that nothing is lost (every line on screen, the file byte for byte as expected)
// and prints the CPU time the window's thread spends.
#include "PtyPeer.h"
#include "ScriptedPrompts.h"
#include "TestProfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <thread>

namespace {

constexpr int bytesPerSecond = 921600 / 10; // 8 data bits, a start and a stop bit
constexpr int lineLength = 10;              // eight digits, CR, LF
constexpr int seconds = 10;
constexpr int lineCount = bytesPerSecond * seconds / lineLength;
constexpr int sendEveryMs = 2;
const QString stamps = QStringLiteral("09-12-2026,12:00:00,");

QByteArray lineBytes(int i) { return QByteArray::number(i).rightJustified(8, '0') + "\r\n"; }

// What the capture must hold: a stamped record per byte (CR and LF show as nothing), and
// after each CR the finished line, as shown with every byte's stamps, stamped once more.
struct Expected {
    QByteArray file;
    QStringList lines;
};

Expected expectedCapture(const QByteArray& stream)
{
    Expected e;
    QString line;
    for (const char byte : stream) {
        const QString pass = stamps + (byte == '\r' || byte == '\n' ? QString() : QString(byte));
        e.file += pass.toUtf8() + "\r\n";
        line += pass;
        if (byte == '\r') {
            e.file += (stamps + line).toUtf8() + "\r\n";
            e.lines.append(line);
            line.clear();
        }
    }
    e.lines.append(line);
    return e;
}

double threadCpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    TestProfile profile;
    VirtualClock clock;
    ScriptedPrompts prompts;
    PtyPeer module;
    profile.link(1, module.devicePath());
    QTemporaryDir folder;
    const QString logPath = QDir(folder.path()).filePath(QStringLiteral("capture.csv"));
    prompts.logFileDialog = [&](const QString&, const QString&) {
        return UserPrompts::LogFileAnswer{true, logPath, folder.path()};
    };

    // The clock is read as the program reads it, and answers one fixed moment so that the
    // file can be compared byte for byte.
    TerminalPlatform platform = profile.platform(clock);
    const QDateTime moment(QDate(2026, 12, 9), QTime(12, 0, 0));
    platform.now = [moment] {
        static_cast<void>(localTimeToTheSecond());
        return moment;
    };
    TerminalCore core(prompts, platform);
    core.startUp().FormShow();
    core.preset(&TerminalState::Timestamp1, true);
    core.preset(&TerminalState::DateStamp1, true);
    core.capture().Log1Click();

    QByteArray stream;
    for (int i = 0; i < lineCount; ++i)
        stream += lineBytes(i);
    const Expected expected = expectedCapture(stream);

    // The module sends at the line rate, a little every few milliseconds; a line that the
    // program does not read in time makes the sender fall behind its schedule.
    std::atomic<long long> worstLagMs{0};
    std::atomic<bool> sent{false};
    std::thread sender([&] {
        using namespace std::chrono;
        const auto start = steady_clock::now();
        const qsizetype chunk = qsizetype(bytesPerSecond) * sendEveryMs / 1000;
        for (qsizetype at = 0, n = 0; at < stream.size(); at += chunk, ++n) {
            const auto due = start + milliseconds(n * sendEveryMs);
            std::this_thread::sleep_until(due);
            const long long lag = duration_cast<milliseconds>(steady_clock::now() - due).count();
            worstLagMs = std::max(worstLagMs.load(), lag);
            module.send(stream.mid(at, chunk));
        }
        sent = true;
    });

    QElapsedTimer wall;
    wall.start();
    const double cpuAtStart = threadCpuSeconds();
    qint64 slowestTickNs = 0;
    int ticks = 0;
    QTimer timer1;
    timer1.setInterval(10);
    QObject::connect(&timer1, &QTimer::timeout, [&] {
        QElapsedTimer tick;
        tick.start();
        core.receiver().Timer1Timer();
        slowestTickNs = std::max(slowestTickNs, tick.nsecsElapsed());
        ++ticks;
        const bool allShown = sent && core.lines().count() == expected.lines.size() &&
                              core.lines().lastLine() == expected.lines.last();
        if (allShown || wall.elapsed() > 10000 * seconds)
            app.quit();
    });
    timer1.start();
    app.exec();
    const double cpu = threadCpuSeconds() - cpuAtStart;
    const double elapsed = double(wall.elapsed()) / 1000.0;
    sender.join();

    QStringList shown;
    for (int i = 0; i < core.lines().count(); ++i)
        shown.append(core.lines().line(i));
    const bool screenWhole = shown == expected.lines;
    QFile file(logPath);
    file.open(QIODevice::ReadOnly);
    const QByteArray written = file.readAll();
    const bool fileExact = written == expected.file;

    std::printf("capture: %d lines of %d bytes at %d bytes/s, Log with time and date stamps\n",
                lineCount, lineLength, bytesPerSecond);
    std::printf("  %.2f s over %d ticks; window thread CPU %.2f s = %.0f%% of one core; "
                "slowest tick %.1f ms; sender at most %lld ms behind its schedule\n",
                elapsed, ticks, cpu, 100.0 * cpu / elapsed, double(slowestTickNs) / 1e6,
                worstLagMs.load());
    std::printf("  screen: %s; file: %lld bytes, %s\n",
                screenWhole ? "every line shown" : "LINES MISSING",
                static_cast<long long>(written.size()),
                fileExact ? "byte-exact" : "DIFFERS FROM THE EXPECTED RECORDS");
    std::printf("  messages: %lld\n", static_cast<long long>(prompts.messages.size()));
    return screenWhole && fileExact && prompts.messages.isEmpty() ? 0 : 1;
}
