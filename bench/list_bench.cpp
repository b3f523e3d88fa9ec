// A terminal list of a million lines: memory, and the time to scroll and repaint its view.
#include "TerminalCore.h"
#include "TerminalView.h"
#include "UserPrompts.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <cstdio>

namespace {
struct Silent : UserPrompts {
    void showMessage(const QString&, const QString&) override {}
    LogFileAnswer askLogFile(const QString&, const QString&) override { return {}; }
};

long residentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return 0;
}
} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Silent prompts;
    TerminalPlatform platform;
    platform.portsDir = QStringLiteral("/nonexistent");
    platform.listDevices = {};
    TerminalCore core(prompts, platform);
    TerminalView view(core);
    view.resize(900, 600);
    view.show();

    const long before = residentKiB();
    QElapsedTimer timer;
    timer.start();
    const int count = 1'000'000;
    for (int i = 0; i < count; ++i)
        core.AddtoList(1, QStringLiteral("RX<= OK 00:07:80:12:34:56 line %1").arg(i));
    core.list().publish();
    const qint64 fillMs = timer.restart();
    const long after = residentKiB();

    view.scrollToTopLine(core.lines().count() - 10);
    view.repaint();
    const qint64 scrollBottomMs = timer.restart();
    view.scrollToTopLine(count / 2);
    view.repaint();
    const qint64 scrollMiddleMs = timer.restart();
    qint64 appendNs = 0, scrollNs = 0, paintNs = 0;
    QElapsedTimer step;
    for (int i = 0; i < 100; ++i) {
        step.start();
        core.AddtoList(i % 2, QStringLiteral("x"));
        core.list().publish();
        appendNs += step.nsecsElapsed();
        step.start();
        view.scrollToTopLine(core.lines().count() - 10);
        scrollNs += step.nsecsElapsed();
        step.start();
        QCoreApplication::processEvents();
        view.repaint();
        paintNs += step.nsecsElapsed();
    }
    const qint64 hundredTicksMs = timer.elapsed();
    std::printf("list: per tick %.2f ms append, %.2f ms scroll, %.2f ms paint\n",
                double(appendNs) / 1e8, double(scrollNs) / 1e8, double(paintNs) / 1e8);

    std::printf("list: %d lines added in %lld ms, %.1f MiB resident for them (%.0f bytes a line)\n",
                count, static_cast<long long>(fillMs), double(after - before) / 1024.0,
                double(after - before) * 1024.0 / count);
    std::printf("list: scroll to end and repaint %lld ms, to the middle %lld ms, "
                "100 append+scroll+repaint ticks %lld ms\n",
                static_cast<long long>(scrollBottomMs), static_cast<long long>(scrollMiddleMs),
                static_cast<long long>(hundredTicksMs));
    return 0;
}
