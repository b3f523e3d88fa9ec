// A port on a local pseudo-terminal against the same pseudo-terminal served by a real ser2net
// on the loopback address (RFC 2217): the real main window, offscreen.
//  - line rate: 1000-byte lines at the byte rate of a 921600-baud line for some seconds; the
//    processor time of the window and of ser2net;
//  - drain: a flood of lines written as fast as the line takes them; bytes a second shown;
//  - key to wire: one byte written by the driver until the module has it, the median of many.
// The module's side runs in a thread of its own and its processor time is left out.
#include "BenchFigures.h"
#include "PtyPeer.h"
#include "ScriptedPrompts.h"
#include "Ser2netServer.h"
#include "TMain.h"
#include "TestProfile.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

namespace {

struct Figures {
    double windowCpu;
    double serverCpu;
    double seconds;
    int linesShown;
    bool whole;
};

// Streams `lineCount` lines, paced at `bytesPerSecond` (0: as fast as the line takes them),
// and waits until the window shows them all.
Figures stream(TMain& window, PtyPeer& module, qint64 serverPid, int lineCount,
               double bytesPerSecond)
{
    const TerminalLines& lines = window.core().lines();
    const int before = lines.count() - 1;
    std::atomic<double> senderCpu{0.0};
    std::atomic<bool> stop{false};
    const double cpuBefore = cpuSeconds(RUSAGE_SELF);
    const double serverBefore = processCpuSeconds(serverPid);
    QElapsedTimer wall;
    wall.start();
    std::thread sender([&] {
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < lineCount && !stop; ++i) {
            if (bytesPerSecond > 0)
                std::this_thread::sleep_until(
                    start + std::chrono::microseconds(qint64(i * 1000.0 / bytesPerSecond * 1e6)));
            module.sendPatiently(numberedLongLine(i), stop);
        }
        senderCpu = cpuSeconds(RUSAGE_THREAD);
    });
    const qint64 limitMs =
        bytesPerSecond > 0 ? qint64(lineCount * 1000.0 / bytesPerSecond * 3000) : 120000;
    const QByteArray last = numberedLongLine(lineCount - 1).chopped(2);
    const auto lastShown = [&] {
        return lines.count() >= 2 && lines.line(lines.count() - 2).toLatin1() == last;
    };
    while (!lastShown() && wall.elapsed() < limitMs)
        QTest::qWait(5);
    stop = true; // a window that fell far behind is not waited for
    sender.join();
    Figures f;
    f.seconds = double(wall.elapsed()) / 1000.0;
    f.windowCpu = cpuSeconds(RUSAGE_SELF) - cpuBefore - senderCpu;
    f.serverCpu = processCpuSeconds(serverPid) - serverBefore;
    f.linesShown = lines.count() - 1 - before;
    f.whole = lastShown();
    return f;
}

// The module reads on a thread of its own while the driver writes, one key every 10 ms.
double keyToWireMedianMs(Serial_io& io, PtyPeer& module, int keys)
{
    std::vector<PtyPeer::TimedByte> got;
    std::thread reader([&] { got = module.readTimed(keys, 10000); });
    std::vector<qint64> sentAt;
    for (int i = 0; i < keys; ++i) {
        sentAt.push_back(
            std::chrono::nanoseconds(std::chrono::steady_clock::now().time_since_epoch()).count());
        io.c_putc('a' + i % 26);
    }
    reader.join();
    std::vector<double> ms;
    for (std::size_t i = 0; i < got.size(); ++i)
        ms.push_back(double(got[i].nanoseconds - sentAt[i]) / 1e6);
    std::sort(ms.begin(), ms.end());
    return ms.empty() ? -1.0 : ms[ms.size() / 2];
}

int run(const char* name, bool network, int seconds)
{
    TestProfile profile;
    VirtualClock clock;
    ScriptedPrompts prompts;
    PtyPeer module;
    std::unique_ptr<Ser2netServer> server;
    if (network) {
        server = std::make_unique<Ser2netServer>(module.devicePath());
        if (!server->start()) {
            std::printf("%s: ser2net did not start\n", name);
            return 1;
        }
        profile.link(1, server->address());
    } else {
        profile.link(1, module.devicePath());
    }
    TerminalPlatform platform = profile.platform(clock);
    platform.pause = realPause();
    platform.makeDevice = {};
    TMain window(std::move(platform), &prompts);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window) || !window.core().io().isOpen()) {
        std::printf("%s: the port did not open: %s\n", name,
                    qPrintable(window.core().io().lastOpenFailure()));
        return 1;
    }
    const qint64 serverPid = server ? server->pid() : 0;

    constexpr double lineRate = 921600.0 / 10.0;
    const Figures paced =
        stream(window, module, serverPid, int(lineRate * seconds / 1000.0), lineRate);
    std::printf("%-9s line rate: %d lines at 92160 bytes/s in %.1f s; window %.1f%% of a core, "
                "ser2net %.1f%%; %s\n",
                name, paced.linesShown, paced.seconds, 100.0 * paced.windowCpu / paced.seconds,
                100.0 * paced.serverCpu / paced.seconds,
                paced.whole ? "every line whole" : "LINES MISSING OR CUT");

    const int floodLines = 8000;
    const Figures flood = stream(window, module, serverPid, floodLines, 0);
    std::printf("%-9s drain: %d lines of 1000 bytes in %.2f s = %.2f MB/s; window %.1f%% of a "
                "core, ser2net %.1f%%; %s\n",
                name, flood.linesShown, flood.seconds,
                flood.linesShown * 1000.0 / 1e6 / flood.seconds,
                100.0 * flood.windowCpu / flood.seconds, 100.0 * flood.serverCpu / flood.seconds,
                flood.whole ? "every line whole" : "LINES MISSING OR CUT");

    std::printf("%-9s key to wire: median %.3f ms over 50 keys, from the driver's write until "
                "the module reads the byte\n",
                name, keyToWireMedianMs(window.core().io(), module, 50));
    return paced.whole && flood.whole ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 10;
    const int local = run("local pty", false, seconds);
    const int network = run("ser2net", true, seconds);
    return local | network;
}
