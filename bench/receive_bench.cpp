// How fast the receive loop takes a flood of short lines from a pseudo-terminal, and
// whether anything is lost on the way.
#include "PtyPeer.h"
#include "ScriptedPrompts.h"
#include "TestProfile.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdio>
#include <thread>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    TestProfile profile;
    VirtualClock clock;
    ScriptedPrompts prompts;
    PtyPeer module;
    profile.link(1, module.devicePath());
    TerminalCore core(prompts, profile.platform(clock));
    core.FormShow();

    const int lineCount = 200000;
    QByteArray flood;
    for (int i = 0; i < lineCount; ++i)
        flood += "RING " + QByteArray::number(i) + " 00:07:80:12:34:56 1 RFCOMM\r\n";

    QElapsedTimer wall;
    wall.start();
    std::thread sender([&] { module.send(flood); });
    int ticks = 0;
    while (core.lines().count() <= lineCount && wall.elapsed() < 120000) {
        core.Timer1Timer();
        ++ticks;
    }
    sender.join();
    const double seconds = double(wall.elapsed()) / 1000.0;
    const bool whole =
        core.lines().count() == lineCount + 1 &&
        core.lines().line(lineCount - 1).startsWith(QStringLiteral("RING %1 ").arg(lineCount - 1));
    std::printf(
        "receive: %d lines, %lld bytes in %.2f s over %d ticks: %.0f bytes/s, %.0f lines/s, "
        "%s\n",
        lineCount, static_cast<long long>(flood.size()), seconds, ticks,
        double(flood.size()) / seconds, lineCount / seconds,
        whole ? "nothing lost" : "LINES MISSING");
    return whole ? 0 : 1;
}
