// How the real main window, offscreen, at its real 10 ms tick, takes what a module sends
// through a pseudo-terminal: how fast it drains a flood of short and of long lines, its
// processor time for that and at the line rate of 921600 baud, how long a frame takes to
// paint, how soon a typed key reaches the wire while idle and while lines stream in, its
// processor load while idle, and its memory after a million and ten million lines.
// The module's side runs on threads of its own; their processor time is left out.
// Run as `receive_bench [quick]` (quick: shorter streams, no ten-million-line run).
#include "BenchFigures.h"
#include "PtyPeer.h"
#include "ScriptedPrompts.h"
#include "TMain.h"
#include "TestProfile.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QInputDevice>
#include <QKeyEvent>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <random>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double residentMegabytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toDouble() * double(::sysconf(_SC_PAGESIZE)) / 1e6 : 0;
}

// Lines as a module prints them: "L" and seven digits, or that and 990 letters and digits.
QByteArray shortLine(qint64 i)
{
    return QByteArray("L") + QByteArray::number(i).rightJustified(7, '0') + "\r\n";
}

QByteArray longLine(qint64 i)
{
    static const QByteArray filler = [] {
        QByteArray f;
        for (int k = 0; k < 990; ++k)
            f += "abcdefghijklmnopqrstuvwxyz0123456789"[k % 36];
        return f;
    }();
    return QByteArray("L") + QByteArray::number(i).rightJustified(7, '0') + filler + "\r\n";
}

using LineMaker = QByteArray (*)(qint64);

// Runs the event loop, as the program's own does, until `done` holds or `patienceMs` passes.
// (QTest::qWait sleeps between its looks at the events, which would hold the window back.)
void runUntil(const std::function<bool()>& done, qint64 patienceMs)
{
    QElapsedTimer wall;
    wall.start();
    QEventLoop loop;
    QTimer look;
    look.setInterval(5);
    QObject::connect(&look, &QTimer::timeout, &loop, [&] {
        if (done() || wall.elapsed() >= patienceMs)
            loop.quit();
    });
    look.start();
    loop.exec();
}

// Times every repaint of the window: what a frame costs to paint.
class PaintClock : public QObject {
public:
    explicit PaintClock(QWidget& window) : m_window(window) { window.installEventFilter(this); }
    void reset() { frames = 0, totalNs = 0, worstNs = 0; }
    qint64 frames = 0, totalNs = 0, worstNs = 0;

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != &m_window || event->type() != QEvent::UpdateRequest)
            return false;
        QElapsedTimer paint;
        paint.start();
        m_window.removeEventFilter(this);
        QCoreApplication::sendEvent(&m_window, event);
        m_window.installEventFilter(this);
        const qint64 ns = paint.nsecsElapsed();
        ++frames;
        totalNs += ns;
        worstNs = std::max(worstNs, ns);
        return true;
    }

private:
    QWidget& m_window;
};

class Bench {
public:
    Bench() : m_window(m_profileReady(), &m_prompts), m_paints(m_window)
    {
        m_window.show();
        if (!QTest::qWaitForWindowExposed(&m_window))
            std::exit(1);
        m_view = m_window.findChild<QWidget*>(QStringLiteral("ListBox1"));
        QInputDevice::primaryKeyboard(); // made here, not by the first key of the probe thread
        QTest::qWait(500);
    }

    const TerminalLines& lines() { return m_window.core().lines(); }

    void idle(int seconds)
    {
        const double before = cpuSeconds(RUSAGE_SELF);
        // Nothing of the bench's own wakes the loop meanwhile.
        QEventLoop loop;
        QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
        loop.exec();
        std::printf("idle, port open: %.2f%% of a core\n",
                    100.0 * (cpuSeconds(RUSAGE_SELF) - before) / seconds);
    }

    // Lines sent as fast as the line takes them, or `bytesPerSecond` when given.
    void stream(const char* what, LineMaker make, qint64 count, double bytesPerSecond,
                int probes = 0)
    {
        m_window.core().receiver().Clear1Click();
        QTest::qWait(100);
        std::atomic<double> writerCpu{0.0};
        std::atomic<bool> stop{false};
        m_paints.reset();
        const double cpuBefore = cpuSeconds(RUSAGE_SELF);
        QElapsedTimer wall;
        wall.start();
        // Paced, the lines that are due go out once a millisecond, as a module's adapter
        // delivers them; otherwise in blocks of 64 KiB as fast as the line takes them.
        std::thread writer([&] {
            const auto start = Clock::now();
            QByteArray chunk;
            qint64 next = 0;
            while (next < count && !stop) {
                if (bytesPerSecond > 0) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
                    const double due = std::chrono::duration<double>(Clock::now() - start).count() *
                                       bytesPerSecond / double(make(0).size());
                    while (next < count && next < qint64(due))
                        chunk += make(next++);
                } else {
                    while (next < count && chunk.size() < 65536)
                        chunk += make(next++);
                }
                m_module.sendPatiently(chunk, stop);
                chunk.clear();
            }
            writerCpu = cpuSeconds(RUSAGE_THREAD);
        });
        std::vector<double> keyMs;
        std::thread prober;
        m_probesDone = false;
        if (probes > 0)
            prober = std::thread([&] { keyMs = probeKeys(probes, stop); });
        const int patienceMs =
            bytesPerSecond > 0 ? int(double(count) * make(0).size() / bytesPerSecond * 3000) + 10000
                               : 120000;
        runUntil([&] { return lines().count() > count; }, patienceMs);
        const double seconds = double(wall.elapsed()) / 1000.0;
        stop = true;
        writer.join();
        if (prober.joinable())
            prober.join();
        const double cpu = cpuSeconds(RUSAGE_SELF) - cpuBefore - writerCpu;
        const qint64 bytes = count * make(0).size();
        const bool whole = lines().count() == count + 1 &&
                           lines().line(int(count - 1)).toLatin1() == make(count - 1).chopped(2);
        std::printf("%s: %lld lines, %.1f MB in %.2f s: %.2f MB/s; window %.2f CPU-s (%.1f%% of a "
                    "core); %lld frames, paint %.2f ms a frame on average, %.2f ms at worst; %s\n",
                    what, static_cast<long long>(count), bytes / 1e6, seconds,
                    bytes / 1e6 / seconds, cpu, 100.0 * cpu / seconds,
                    static_cast<long long>(m_paints.frames),
                    m_paints.frames ? m_paints.totalNs / 1e6 / double(m_paints.frames) : 0.0,
                    m_paints.worstNs / 1e6, whole ? "every line whole" : "LINES MISSING OR CUT");
        if (!keyMs.empty())
            printKeys("  key to wire while streaming", keyMs);
        m_whole = m_whole && whole;
    }

    void keysWhileIdle(int probes)
    {
        std::atomic<bool> stop{false};
        std::vector<double> keyMs;
        m_probesDone = false;
        std::thread prober([&] { keyMs = probeKeys(probes, stop); });
        runUntil([&] { return bool(m_probesDone); }, 600000);
        prober.join();
        printKeys("key to wire, idle", keyMs);
    }

    void memory(qint64 count)
    {
        stream("memory run", shortLine, count, 0);
        QTest::qWait(200);
        std::printf("resident after %lld lines of 8 characters: %.1f MB\n",
                    static_cast<long long>(count), residentMegabytes());
    }

    bool whole() const { return m_whole; }

private:
    TerminalPlatform m_profileReady()
    {
        m_profile.link(1, m_module.devicePath());
        return m_profile.platform(m_clock);
    }

    // Types z into the terminal list from another thread, at random gaps, and times each
    // until it is read at the module's end.
    std::vector<double> probeKeys(int probes, const std::atomic<bool>& stop)
    {
        std::vector<double> ms;
        std::mt19937 random(20261210);
        for (int i = 0; i < probes && !stop; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100 + random() % 200));
            const auto start = Clock::now();
            QCoreApplication::postEvent(m_view, new QKeyEvent(QEvent::KeyPress, Qt::Key_Z,
                                                              Qt::NoModifier, QStringLiteral("z")));
            if (m_module.readExactly(1, 5000).isEmpty())
                continue;
            ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        }
        m_probesDone = true;
        return ms;
    }

    static void printKeys(const char* what, std::vector<double> ms)
    {
        if (ms.empty()) {
            std::printf("%s: NO KEY ARRIVED\n", what);
            return;
        }
        std::sort(ms.begin(), ms.end());
        std::printf("%s: median %.1f ms, worst %.1f ms over %zu keys\n", what, ms[ms.size() / 2],
                    ms.back(), ms.size());
    }

    TestProfile m_profile;
    VirtualClock m_clock;
    ScriptedPrompts m_prompts;
    PtyPeer m_module;
    TMain m_window;
    PaintClock m_paints;
    QWidget* m_view = nullptr;
    std::atomic<bool> m_probesDone{false};
    bool m_whole = true;
};

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const bool quick = argc > 1 && QByteArray(argv[1]) == "quick";
    constexpr double lineRate = 921600.0 / 10.0; // bytes a second, 8N1
    Bench bench;
    bench.idle(quick ? 2 : 5);
    bench.keysWhileIdle(quick ? 10 : 30);
    bench.stream("drain, 10-byte lines", shortLine, 400000, 0);
    bench.stream("drain, 1000-byte lines", longLine, 4000, 0);
    const int seconds = quick ? 4 : 10;
    bench.stream("921600 baud, 10-byte lines", shortLine, qint64(lineRate * seconds / 10), lineRate,
                 seconds * 3);
    bench.stream("921600 baud, 1000-byte lines", longLine, qint64(lineRate * seconds / 1000),
                 lineRate);
    bench.memory(1000000);
    if (!quick)
        bench.memory(10000000);
    return bench.whole() ? 0 : 1;
}
