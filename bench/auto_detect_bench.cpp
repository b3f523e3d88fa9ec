// Auto Detect of a hundred ports through the real window: COM1 to COM99 linked to
// pseudo-terminals and COM100 to a device that is not there, on this machine and with about a
// hundred and about a thousand more processes running (sleeping children, ended at the end).
// For each count: how long the window at worst did not answer while the ports were probed,
// and how long the whole pass took. Run as `auto_detect_bench [passes]`.
#include "PtyPeer.h"
#include "ScriptedPrompts.h"
#include "StallMeter.h"
#include "TMain.h"
#include "TestProfile.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTest>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <memory>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int probedPorts = 100;

// Processes that only sleep, each holding nothing but its standard descriptors, as the
// many small processes of a desktop do. They die with the bench if it dies first.
class SleepingProcesses {
public:
    explicit SleepingProcesses(int count)
    {
        const pid_t parent = ::getpid();
        for (int i = 0; i < count; ++i) {
            const pid_t child = ::fork();
            if (child == 0) {
                ::close_range(3, ~0U, 0);
                ::prctl(PR_SET_PDEATHSIG, SIGKILL);
                if (::getppid() == parent)
                    ::pause();
                ::_exit(0);
            }
            if (child < 0)
                break;
            m_children.push_back(child);
        }
    }
    ~SleepingProcesses()
    {
        for (const pid_t child : m_children)
            ::kill(child, SIGKILL);
        for (const pid_t child : m_children)
            ::waitpid(child, nullptr, 0);
    }
    int count() const { return int(m_children.size()); }

private:
    std::vector<pid_t> m_children;
};

int processesRunning()
{
    int count = 0;
    for (const QString& name : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool number = false;
        name.toInt(&number);
        count += number;
    }
    return count;
}

struct Pass {
    double worstStallMs;
    double wholeMs;
};

class Machine {
public:
    Machine()
    {
        for (int port = 1; port < probedPorts; ++port) {
            m_modules.push_back(std::make_unique<PtyPeer>());
            m_profile.link(port, m_modules.back()->devicePath());
        }
        m_profile.link(probedPorts, m_profile.configHome() + QStringLiteral("/gone"));
        // The program's own pause and devices, which pace and probe as it does.
        TerminalPlatform platform = m_profile.platform(m_clock);
        platform.pause = realPause();
        platform.makeDevice = {};
        m_window = std::make_unique<TMain>(std::move(platform), &m_prompts);
        m_window->show();
        if (!QTest::qWaitForWindowExposed(m_window.get()))
            std::puts("the window was never shown");
        QTest::qWait(100);
    }

    // Ticks Auto Detect (probing every port) and clears it again; a pass ends when the
    // port that is not there has been hidden.
    Pass autoDetect()
    {
        QAction* item = m_window->findChild<QAction*>(QStringLiteral("AutoDetect1"));
        const TerminalCore& core = m_window->core();
        StallMeter stalls;
        QElapsedTimer whole;
        whole.start();
        item->trigger();
        const bool done = QTest::qWaitFor(
            [&] { return !core.portControl().portItemsShown().port(probedPorts); }, 60'000);
        const double wholeMs = double(whole.nsecsElapsed()) / 1e6;
        QTest::qWait(20); // the meter's next beat sees the last stall
        const Pass pass{stalls.worstMs, wholeMs};
        if (!done || !core.portControl().portItemsShown().port(1) ||
            !core.portControl().portItemsShown().port(99))
            std::puts("Auto Detect did not show what is there");
        item->trigger();
        QTest::qWait(50);
        return pass;
    }

private:
    TestProfile m_profile;
    VirtualClock m_clock;
    ScriptedPrompts m_prompts;
    std::vector<std::unique_ptr<PtyPeer>> m_modules;
    std::unique_ptr<TMain> m_window;
};

void measure(Machine& machine, int extraProcesses, int passes)
{
    SleepingProcesses sleepers(extraProcesses);
    std::vector<Pass> results;
    for (int i = 0; i < passes; ++i)
        results.push_back(machine.autoDetect());
    std::sort(results.begin(), results.end(),
              [](const Pass& a, const Pass& b) { return a.worstStallMs < b.worstStallMs; });
    const Pass& median = results[results.size() / 2];
    std::printf("Auto Detect of %d ports with %d processes running (%d extra): worst stall "
                "%.1f ms median, %.1f ms max; whole pass %.0f ms (median pass)\n",
                probedPorts, processesRunning(), sleepers.count(), median.worstStallMs,
                results.back().worstStallMs, median.wholeMs);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int passes = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    std::setvbuf(stdout, nullptr, _IOLBF, 0);

    Machine machine;
    for (const int extra : {0, 100, 1000})
        measure(machine, extra, passes);
    return 0;
}
