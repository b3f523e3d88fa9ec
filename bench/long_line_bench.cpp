// A 100 MB line without a line end, sent by a module through a pseudo-terminal to the real
// main window, offscreen, at its real 10 ms tick. Prints the worst receive tick and the worst
// repaint of the window in each tenth of the line, the total time, and whether every byte
// arrived in order. Run as `long_line_bench [megabytes]`.
#include "ScriptedPrompts.h"
#include "TMain.h"
#include "TestProfile.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <stdexcept>
#include <termios.h>
#include <thread>
#include <time.h>
#include <unistd.h>

namespace {

// Processor time of this thread: what a tick or a repaint costs, whatever else runs.
qint64 threadCpuNs()
{
    timespec now{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

// Times each receive tick (from the timer's event to the end of its slot) and each repaint of
// the window, on the clock and in processor time, and files the worst of each under the
// tenth of the line received so far. On a busy machine the clock also counts the time that
// other programs had the processor; the processor time is the work itself.
class Stopwatch : public QObject {
public:
    Stopwatch(QTimer& tick, QWidget& window, const TerminalLines& lines, qint64 total)
        : m_window(window), m_lines(lines), m_total(total)
    {
        tick.installEventFilter(this);
        window.installEventFilter(this);
        connect(&tick, &QTimer::timeout, this, [this] {
            note(worstTickNs, m_tick.nsecsElapsed());
            note(worstTickCpuNs, threadCpuNs() - m_tickCpuStart);
        });
    }

    qint64 worstTickNs[10] = {};
    qint64 worstPaintNs[10] = {};
    qint64 worstTickCpuNs[10] = {};
    qint64 worstPaintCpuNs[10] = {};
    qint64 ticks = 0, paints = 0, paintNs = 0;

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Timer && watched != &m_window) {
            m_tick.start();
            m_tickCpuStart = threadCpuNs();
            ++ticks;
        } else if (event->type() == QEvent::UpdateRequest && watched == &m_window) {
            QElapsedTimer paint;
            paint.start();
            const qint64 cpuStart = threadCpuNs();
            m_window.removeEventFilter(this);
            QCoreApplication::sendEvent(&m_window, event);
            m_window.installEventFilter(this);
            const qint64 ns = paint.nsecsElapsed();
            note(worstPaintNs, ns);
            note(worstPaintCpuNs, threadCpuNs() - cpuStart);
            ++paints;
            paintNs += ns;
            return true;
        }
        return false;
    }

private:
    void note(qint64 (&worst)[10], qint64 ns)
    {
        const qint64 shown = m_lines.isEmpty() ? 0 : m_lines.lineLength(m_lines.count() - 1);
        const int tenth = int(std::min<qint64>(9, shown * 10 / m_total));
        worst[tenth] = std::max(worst[tenth], ns);
    }

    QWidget& m_window;
    const TerminalLines& m_lines;
    qint64 m_total;
    QElapsedTimer m_tick;
    qint64 m_tickCpuStart = 0;
};

// The module's end of the line: a pseudo-terminal whose master side is written with blocking
// writes, however long the window takes to read, since the window takes a long line at its
// own pace and its port stops reading while its input buffer is full.
class PatientModule {
public:
    PatientModule()
    {
        m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0)
            throw std::runtime_error("no pseudo-terminal");
        m_path = QString::fromLocal8Bit(::ptsname(m_master));
        m_slave = ::open(m_path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        termios raw;
        ::tcgetattr(m_slave, &raw);
        ::cfmakeraw(&raw);
        ::tcsetattr(m_slave, TCSANOW, &raw);
    }
    ~PatientModule()
    {
        ::close(m_slave);
        ::close(m_master);
    }
    const QString& devicePath() const { return m_path; }
    void send(const QByteArray& bytes)
    {
        for (qsizetype done = 0; done < bytes.size();) {
            const ssize_t n =
                ::write(m_master, bytes.constData() + done, size_t(bytes.size() - done));
            if (n > 0)
                done += n;
            else if (errno != EINTR)
                return;
        }
    }

private:
    int m_master = -1;
    int m_slave = -1;
    QString m_path;
};

QByteArray lineWithoutEnd(qint64 size)
{
    QByteArray line;
    line.reserve(size);
    while (line.size() < size)
        line += "The quick brown fox jumps over the lazy dog 0123456789 <>[]{}() ";
    line.truncate(size);
    line.replace(size - 12, 12, "...the end..");
    return line;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const qint64 megabytes = argc > 1 ? std::atoll(argv[1]) : 100;
    const QByteArray line = lineWithoutEnd(megabytes * 1'000'000);
    TestProfile profile;
    VirtualClock clock;
    ScriptedPrompts prompts;
    PatientModule module;
    profile.link(1, module.devicePath());
    TMain window(profile.platform(clock), &prompts);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return 1;
    const TerminalLines& lines = window.core().lines();
    Stopwatch stopwatch(*window.core().receiver().findChild<QTimer*>(QStringLiteral("Timer1")),
                        window, lines, line.size());

    QElapsedTimer wall;
    wall.start();
    std::thread sender([&] { module.send(line); });
    const auto shown = [&] { return lines.isEmpty() ? 0 : lines.lineLength(lines.count() - 1); };
    qint64 lastShown = -1;
    QElapsedTimer stalled;
    stalled.start();
    while (shown() < line.size() && stalled.elapsed() < 30000) {
        QTest::qWait(50);
        if (shown() != lastShown) {
            lastShown = shown();
            stalled.restart();
        }
    }
    const double seconds = double(wall.elapsed()) / 1000.0;
    sender.join();
    QTest::qWait(100); // the last repaint

    const bool whole = lines.count() == 1 && shown() == line.size() &&
                       lines.slice(0, line.size() - 64, 64).toLatin1() == line.right(64);
    std::printf("long line: %lld bytes without a line end, %lld shown in %.1f s (%.0f bytes/s), "
                "%lld ticks, %lld repaints of the window (mean %.2f ms); %s\n",
                static_cast<long long>(line.size()), static_cast<long long>(shown()), seconds,
                double(shown()) / seconds, static_cast<long long>(stopwatch.ticks),
                static_cast<long long>(stopwatch.paints),
                double(stopwatch.paintNs) / 1e6 / double(std::max<qint64>(stopwatch.paints, 1)),
                whole ? "every byte there, in order, the last ones whole" : "BYTES MISSING");
    for (int tenth = 0; tenth < 10; ++tenth)
        std::printf("  %3d-%3d %%: worst tick %6.2f ms (processor %5.2f ms), "
                    "worst repaint %6.2f ms (processor %5.2f ms)\n",
                    tenth * 10, tenth * 10 + 10, double(stopwatch.worstTickNs[tenth]) / 1e6,
                    double(stopwatch.worstTickCpuNs[tenth]) / 1e6,
                    double(stopwatch.worstPaintNs[tenth]) / 1e6,
                    double(stopwatch.worstPaintCpuNs[tenth]) / 1e6);
    return whole ? 0 : 1;
}
