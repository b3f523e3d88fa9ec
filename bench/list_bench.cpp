// A terminal list of millions of short lines: what each line costs in resident memory beyond
// its text, in the lines alone, in the list model and in the real view shown offscreen, and
// the time to scroll anywhere in them and paint.
//
//     list_bench [lines] [lines|model|view]     (default: 1000000 view)
#include "TerminalCore.h"
#include "TerminalView.h"
#include "UserPrompts.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QScrollBar>
#include <cstdio>
#include <cstring>

namespace {
struct Silent : UserPrompts {
    std::optional<QString> askDownloadFile() override { return std::nullopt; }
    bool askToSend(const QString&) override { return false; }
    void showMessage(const QString&, const QString&) override {}
    LogFileAnswer askLogFile(const QString&, const QString&) override { return {}; }
};

long statusKiB(const char* field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qsizetype(std::strlen(field))).trimmed().split(' ').first().toLong();
    return 0;
}

struct Memory {
    long residentKiB = statusKiB("VmRSS:");
    long peakKiB = statusKiB("VmHWM:");
};

// A short line as a module sends it: "OK 0001234" (10 characters).
QString shortLine(int i) { return QStringLiteral("OK %1").arg(i % 10'000'000, 7, 10, QChar('0')); }

void printMemory(const char* what, int count, qint64 textBytes, const Memory& before,
                 const Memory& after)
{
    const double beyondText =
        (double(after.residentKiB - before.residentKiB) * 1024.0 - double(textBytes)) / count;
    std::printf("%s: %d lines (%.1f MiB of text): %.1f MiB resident in all, %.1f MiB for the "
                "lines, %.1f bytes a line beyond the text; peak %.1f MiB\n",
                what, count, double(textBytes) / 1048576.0, after.residentKiB / 1024.0,
                double(after.residentKiB - before.residentKiB) / 1024.0, beyondText,
                after.peakKiB / 1024.0);
}

int linesOnly(int count)
{
    const Memory before;
    TerminalLines lines;
    qint64 text = 0;
    for (int i = 0; i < count; ++i) {
        const QString line = shortLine(i);
        text += line.size();
        lines.addLine(line);
    }
    printMemory("lines", count, text, before, Memory());
    return lines.count() == count ? 0 : 1;
}

// Scrolls to random places and the ends, repainting each time: the worst and mean time.
void scrollAround(TerminalView& view, int count)
{
    QElapsedTimer step;
    qint64 worstNs = 0, totalNs = 0;
    const int jumps = 200;
    QRandomGenerator random(7);
    view.repaint(); // the font's glyphs are cached once
    for (int i = 0; i < jumps; ++i) {
        const int top = i == 0 ? 0 : i == 1 ? count - 1 : int(random.bounded(count));
        step.start();
        view.scrollToTopLine(top);
        view.repaint();
        const qint64 ns = step.nsecsElapsed();
        worstNs = std::max(worstNs, ns);
        totalNs += ns;
    }
    std::printf("view: scroll anywhere and paint: mean %.2f ms, worst %.2f ms (%d jumps)\n",
                double(totalNs) / jumps / 1e6, double(worstNs) / 1e6, jumps);
}

// Appending a line a tick to the bottom of the full list: append, scroll and paint.
void tickAtTheEnd(TerminalCore& core, TerminalView& view)
{
    qint64 appendNs = 0, scrollNs = 0, paintNs = 0;
    QElapsedTimer step;
    const int ticks = 100;
    for (int i = 0; i < ticks; ++i) {
        step.start();
        core.listWriter().AddtoList(i % 2, QStringLiteral("x"));
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
    std::printf("view: per tick at the end %.2f ms append, %.2f ms scroll, %.2f ms paint\n",
                double(appendNs) / ticks / 1e6, double(scrollNs) / ticks / 1e6,
                double(paintNs) / ticks / 1e6);
}

int modelAndView(int count, bool withView)
{
    Silent prompts;
    TerminalPlatform platform;
    platform.portsDir = QStringLiteral("/nonexistent");
    platform.listDevices = {};
    TerminalCore core(prompts, platform);
    std::unique_ptr<TerminalView> view;
    if (withView) {
        view = std::make_unique<TerminalView>(core);
        view->resize(900, 600);
        view->show();
        QCoreApplication::processEvents();
    }

    const Memory before;
    QElapsedTimer timer;
    timer.start();
    qint64 text = 0;
    // Published in batches as the receive loop would, a tick's worth at a time.
    const int linesPerTick = 10'000;
    for (int i = 0; i < count; ++i) {
        const QString line = shortLine(i);
        text += line.size();
        core.listWriter().AddtoList(1, line);
        if (i % linesPerTick == linesPerTick - 1) {
            core.list().publish();
            if (view)
                view->scrollToTopLine(i);
        }
    }
    core.list().publish();
    if (view) {
        view->scrollToTopLine(count - 1);
        view->repaint();
    }
    const qint64 fillMs = timer.elapsed();
    printMemory(withView ? "view" : "model", count, text, before, Memory());
    std::printf("%s: filled in %lld ms\n", withView ? "view" : "model",
                static_cast<long long>(fillMs));
    if (view) {
        scrollAround(*view, count);
        tickAtTheEnd(core, *view);
    }
    return 0;
}
} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 1'000'000;
    const QByteArray mode = argc > 2 ? QByteArray(argv[2]) : QByteArray("view");
    if (count <= 0 || (mode != "lines" && mode != "model" && mode != "view")) {
        std::fprintf(stderr, "usage: list_bench [lines] [lines|model|view]\n");
        return 2;
    }
    if (mode == "lines")
        return linesOnly(count);
    return modelAndView(count, mode == "view");
}
