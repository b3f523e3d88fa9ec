// The window's processor load while a module streams 1000-byte lines at the byte rate of a
// 921600-baud line (92160 bytes a second): the real main window, offscreen, reading a
// pseudo-terminal for ten seconds. The module's side runs in a thread of its own and its
// processor time is left out of the figure.
#include "BenchFigures.h"
#include "PtyPeer.h"
#include "ScriptedPrompts.h"
#include "TMain.h"
#include "TestProfile.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <sys/resource.h>
#include <thread>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 10;
    TestProfile profile;
    VirtualClock clock;
    ScriptedPrompts prompts;
    PtyPeer module;
    profile.link(1, module.devicePath());
    TMain window(profile.platform(clock), &prompts);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return 1;

    constexpr double bytesPerSecond = 921600.0 / 10.0;
    const int lineCount = int(bytesPerSecond * seconds / 1000.0);
    std::atomic<double> senderCpu{0.0};
    std::atomic<bool> stop{false};
    const double cpuBefore = cpuSeconds(RUSAGE_SELF);
    QElapsedTimer wall;
    wall.start();
    std::thread sender([&] {
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < lineCount && !stop; ++i) {
            std::this_thread::sleep_until(
                start + std::chrono::microseconds(qint64(i * 1000.0 / bytesPerSecond * 1e6)));
            module.send(numberedLongLine(i));
        }
        senderCpu = cpuSeconds(RUSAGE_THREAD);
    });
    const TerminalLines& lines = window.core().lines();
    while (lines.count() <= lineCount && wall.elapsed() < seconds * 3000)
        QTest::qWait(5);
    const int linesShown = lines.count() - 1;
    stop = true; // a window that fell far behind is not waited for
    sender.join();
    const double elapsed = double(wall.elapsed()) / 1000.0;
    const double windowCpu = cpuSeconds(RUSAGE_SELF) - cpuBefore - senderCpu;
    const bool whole = lines.count() == lineCount + 1 &&
                       lines.line(lineCount - 1).toLatin1() == numberedLongLine(lineCount - 1).chopped(2);
    std::printf("line rate: %d lines of 1000 bytes at 92160 bytes/s, %d shown in %.1f s; "
                "window %.1f%% of a core, %.2f ms of processor a line; %s\n",
                lineCount, linesShown, elapsed, 100.0 * windowCpu / elapsed,
                1000.0 * windowCpu / std::max(linesShown, 1),
                whole ? "every line whole" : "LINES MISSING OR CUT");
    return whole ? 0 : 1;
}
