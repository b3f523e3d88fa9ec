// Faults and hostile input against the real main window, offscreen, at its real 10 ms tick,
// with the figures a test must not assert on: a hundred unplugs (time to notice, time to come
// back, processor time while unplugged, descriptors and lock files), NUL bytes at the line
// rate of 921600 baud, twenty thousand escape sequences, a settings file of 100 MB at start,
// and a 1 GB file chosen for download. For each, the worst stall of the window: the longest
// time its event loop did not come round. (`long_line_bench` measures a 100 MB line.)
// Run as `fault_bench [cycles]`.
#include "FaultProbes.h"
#include "PtyPeer.h"
#include "ScriptedPrompts.h"
#include "StallMeter.h"
#include "TMain.h"
#include "TestProfile.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <thread>
#include <vector>

namespace {

// The window in a throw-away profile, with a module on a pseudo-terminal as COM1.
struct Bench {
    explicit Bench(bool withModule = true, const QByteArray& settings = QByteArray())
    {
        if (withModule)
            profile.link(1, module.devicePath());
        if (!settings.isNull())
            profile.writeSettings(QStringLiteral("1.10"), settings);
    }
    void show()
    {
        window = std::make_unique<TMain>(profile.platform(clock), &prompts);
        window->show();
        if (!QTest::qWaitForWindowExposed(window.get()))
            std::puts("the window was never shown");
        QCoreApplication::sendPostedEvents(window.get(), QEvent::MetaCall);
    }
    TerminalCore& core() { return window->core(); }

    TestProfile profile;
    VirtualClock clock;
    ScriptedPrompts prompts;
    PtyPeer module;
    std::unique_ptr<TMain> window;
};

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void unplugStorm(int cycles)
{
    Bench bench;
    bench.show();
    StallMeter stalls;
    std::vector<double> noticeMs, backMs;
    qint64 offlineCpuNs = 0, offlineWallNs = 0;
    int descriptorsAfterFirst = 0, failures = 0;
    QElapsedTimer total;
    total.start();
    for (int cycle = 0; cycle < cycles; ++cycle) {
        bench.module.send("cycle " + QByteArray::number(cycle) + "\r");
        QTest::qWait(20);
        QElapsedTimer clock;
        clock.start();
        bench.module.unplug();
        if (!QTest::qWaitFor([&] { return !bench.core().io().isOpen(); }, 10000))
            ++failures;
        noticeMs.push_back(double(clock.nsecsElapsed()) / 1e6);
        const qint64 cpu = probes::processCpuNs();
        clock.restart();
        QTest::qWait(200);
        offlineCpuNs += probes::processCpuNs() - cpu;
        offlineWallNs += clock.nsecsElapsed();
        bench.module.plugBack();
        bench.profile.link(1, bench.module.devicePath());
        clock.restart();
        if (!QTest::qWaitFor([&] { return bench.core().io().portUsable(); }, 10000))
            ++failures;
        backMs.push_back(double(clock.nsecsElapsed()) / 1e6);
        if (cycle == 0)
            descriptorsAfterFirst = probes::openDescriptors();
    }
    std::printf("unplug storm: %d cycles in %.1f s, %d not back online; lost port noticed after "
                "%.0f ms median (%.0f max), back online %.0f ms median (%.0f max) after the "
                "device returned; %.1f %% processor while unplugged; descriptors %d after the "
                "first cycle, %d after the last; %lld own lock files; worst stall %.1f ms\n",
                cycles, double(total.elapsed()) / 1000, failures, median(noticeMs),
                *std::max_element(noticeMs.begin(), noticeMs.end()), median(backMs),
                *std::max_element(backMs.begin(), backMs.end()),
                100.0 * double(offlineCpuNs) / double(std::max<qint64>(offlineWallNs, 1)),
                descriptorsAfterFirst, probes::openDescriptors(),
                static_cast<long long>(probes::ownLockFiles().size()), stalls.worstMs);
}

// Sends `bytes` at `bytesPerSecond` in 10 ms slices (0: as fast as the line takes them),
// and waits until the first line holds `expectedLength` characters.
void hostileStream(const char* name, const QByteArray& bytes, qint64 bytesPerSecond,
                   qsizetype expectedLength)
{
    Bench bench;
    bench.show();
    const TerminalLines& lines = bench.core().lines();
    StallMeter stalls;
    QElapsedTimer clock;
    clock.start();
    std::atomic<bool> sending = true;
    std::thread sender([&] {
        const qsizetype slice = bytesPerSecond ? bytesPerSecond / 100 : bytes.size();
        for (qsizetype done = 0; done < bytes.size(); done += slice) {
            bench.module.send(bytes.mid(done, slice));
            if (bytesPerSecond)
                std::this_thread::sleep_until(std::chrono::steady_clock::now() +
                                              std::chrono::milliseconds(10));
        }
        sending = false;
    });
    const bool whole = QTest::qWaitFor(
        [&] { return !sending && !lines.isEmpty() && lines.lineLength(0) == expectedLength; },
        600'000);
    sender.join();
    std::printf("%s: %lld bytes in %.1f s, %s; worst stall %.1f ms\n", name,
                static_cast<long long>(bytes.size()), double(clock.elapsed()) / 1000,
                whole ? "shown whole" : "NOT SHOWN WHOLE", stalls.worstMs);
}

void hugeSettingsFile()
{
    QByteArray settings = "[General]\nBaud Rate=9600\n";
    Bench bench(true, settings);
    ::truncate(QFile::encodeName(bench.profile.settingsFile(QStringLiteral("1.10"))).constData(),
               100 << 20);
    QElapsedTimer clock;
    clock.start();
    bench.show();
    const double startMs = double(clock.nsecsElapsed()) / 1e6;
    clock.restart();
    bench.window->close();
    std::printf("settings file of 100 MB: start-up %.0f ms (%s), exit %.0f ms\n", startMs,
                bench.core().state().baudRate == 115200 ? "defaults" : "FILE READ",
                double(clock.nsecsElapsed()) / 1e6);
}

void gigabyteDownload()
{
    Bench bench;
    bench.show();
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("disk.img"));
    QFile(path).open(QIODevice::WriteOnly);
    ::truncate(QFile::encodeName(path).constData(), qint64(1) << 30);
    bench.prompts.downloadFile = path;
    // The download runs inside the menu item: the window waits for it as a whole.
    QElapsedTimer clock;
    clock.start();
    bench.window->findChild<QAction*>(QStringLiteral("DownloadFile"))->trigger();
    std::printf("download of a 1 GB file of zeros: the window waited %.0f ms for \"%s\" (%s), "
                "peak memory %lld MB\n",
                double(clock.nsecsElapsed()) / 1e6, qPrintable(bench.prompts.messages.value(0)),
                qPrintable(bench.prompts.details.value(0)),
                static_cast<long long>(probes::peakMemoryKb() / 1024));
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int cycles = argc > 1 ? std::atoi(argv[1]) : 100;
    std::setvbuf(stdout, nullptr, _IOLBF, 0);

    unplugStorm(cycles);
    const qsizetype nuls = 10 * 92'160; // ten seconds at 921600 baud
    hostileStream("NUL bytes at 92160 bytes/s", QByteArray(nuls, '\0'), 92'160, nuls * 4);
    const QByteArray escapes = QByteArray("\x1b[1m").repeated(20'000);
    hostileStream("20000 escape sequences in one write", escapes, 0, escapes.size());
    hugeSettingsFile();
    gigabyteDownload();
    return 0;
}
