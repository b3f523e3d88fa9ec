// A terminal list of millions of short lines: what each line costs in resident memory beyond
// its text, in the lines alone, in the list model and in the real view shown offscreen, and
// the time to scroll anywhere in them and paint. Lines beyond the memory budget go to the
// scrollback file (in $XDG_CACHE_HOME/Serivox); resident memory and the time per million lines
// are printed as the list grows, so a run of 100 M lines shows that memory stays bounded.
//
//     list_bench [lines] [lines|model|view] [budget MB] [line length]
//                                                 (default: 1000000 view 256 10)
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

// Lines of the same start, padded to a length of their own: 1000-byte lines fill 8 GB, a day
// at 921,600 baud, in 8 M lines.
QString lineOf(int i, int length)
{
    static QString padding;
    if (padding.size() < length)
        padding = QString(length, QLatin1Char('.'));
    const QString start = shortLine(i);
    return length <= start.size() ? start : start + padding.first(length - start.size());
}

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
        core.list().AddtoList(i % 2, QStringLiteral("x"));
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

// Resident memory and time as the list grows: each million lines up to ten, then each ten.
class GrowthReport {
public:
    void lineAdded(int lines, const TerminalLines& stored)
    {
        const int step = lines <= 10'000'000 ? 1'000'000 : 10'000'000;
        if (lines % step != 0)
            return;
        const Memory now;
        std::printf("  %4d M lines: %.1f MiB resident (lines in memory %.1f MiB, file %.1f MiB), "
                    "%.0f ms per million lines\n",
                    lines / 1'000'000, now.residentKiB / 1024.0,
                    double(stored.residentBytes()) / 1048576.0,
                    double(stored.scrollback().fileBytes()) / 1048576.0,
                    double(m_step.restart()) / ((lines - m_lastLines) / 1e6));
        std::fflush(stdout);
        m_lastLines = lines;
        m_peakKiB = std::max(m_peakKiB, now.residentKiB);
    }
    long peakResidentKiB() const { return m_peakKiB; }

private:
    QElapsedTimer m_step = [] {
        QElapsedTimer timer;
        timer.start();
        return timer;
    }();
    int m_lastLines = 0;
    long m_peakKiB = 0;
};

// The first and last lines read back exactly as they were added, wherever they are kept.
void checkEnds(const TerminalLines& lines, int count, int length)
{
    const bool first = lines.line(0) == lineOf(0, length);
    const bool last = lines.line(count - 1) == lineOf(count - 1, length);
    std::printf("first line %s, last line %s\n", first ? "exact" : "WRONG",
                last ? "exact" : "WRONG");
}

int modelAndView(int count, bool withView, qint64 budgetMB, int length)
{
    Silent prompts;
    TerminalPlatform platform;
    platform.portsDir = QStringLiteral("/nonexistent");
    platform.listDevices = {};
    TerminalCore core(prompts, platform);
    core.list().scrollback().setBudget(budgetMB * 1024 * 1024);
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
    GrowthReport growth;
    for (int i = 0; i < count; ++i) {
        const QString line = lineOf(i, length);
        text += line.size();
        core.list().AddtoList(1, line);
        growth.lineAdded(i + 1, core.lines());
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
    std::printf("%s: filled in %lld ms; highest resident memory seen while filling %.1f MiB\n",
                withView ? "view" : "model", static_cast<long long>(fillMs),
                growth.peakResidentKiB() / 1024.0);
    checkEnds(core.lines(), count, length);
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
    const qint64 budgetMB = argc > 3 ? std::atoll(argv[3]) : ScrollbackStore::defaultBudgetMB;
    const int length = argc > 4 ? std::atoi(argv[4]) : 10;
    if (count <= 0 || budgetMB < 0 || length <= 0 ||
        (mode != "lines" && mode != "model" && mode != "view")) {
        std::fprintf(stderr, "usage: list_bench [lines] [lines|model|view] [budget MB] "
                             "[line length]\n");
        return 2;
    }
    if (mode == "lines")
        return linesOnly(count);
    return modelAndView(count, mode == "view", budgetMB, length);
}
