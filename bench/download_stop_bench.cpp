// Stopping a download, with the figures a test must not assert on:
//  - Escape during a download in the real window at its real pace: from the key to the last
//    byte on the line, and to the end of the download, with the bytes written after the key;
//  - SIGTERM during a download in the real program (a scripted person in it starts the
//    download): from the signal to the last byte and to the end of the process;
// each at 9600 and at 115200 baud, the median and the worst of `runs` (20 by default); and
// measuring a 1 GB file of short lines before its first byte: time and memory.
// A pseudo-terminal takes bytes at any rate, so the baud rate changes nothing but the setting.
// Run as `download_stop_bench [runs]`.
#include "FaultProbes.h"
#include "PtyPeer.h"
#include "RealProgram.h"
#include "ScriptedPrompts.h"
#include "TMain.h"
#include "TestProfile.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <thread>
#include <vector>

namespace {

qint64 nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

double ms(qint64 ns) { return double(ns) / 1e6; }

struct Figures {
    std::vector<double> values;
    void add(double value) { values.push_back(value); }
    double median() const
    {
        std::vector<double> sorted = values;
        std::sort(sorted.begin(), sorted.end());
        return sorted.empty() ? 0 : sorted[sorted.size() / 2];
    }
    double worst() const
    {
        return values.empty() ? 0 : *std::max_element(values.begin(), values.end());
    }
};

// Every byte the module receives, with its time, on a thread of its own.
class LineWatch {
public:
    explicit LineWatch(PtyPeer& module)
        : m_thread([this, &module] {
              while (!m_stop) {
                  const auto got = module.readTimed(1 << 20, 20);
                  m_bytes.insert(m_bytes.end(), got.begin(), got.end());
              }
          })
    {
    }
    // Stops watching; what arrived until then.
    const std::vector<PtyPeer::TimedByte>& stop()
    {
        m_stop = true;
        m_thread.join();
        return m_bytes;
    }

private:
    std::atomic<bool> m_stop{false};
    std::vector<PtyPeer::TimedByte> m_bytes;
    std::thread m_thread;
};

// Ten minutes of sending: 600 lines of 49 characters.
QString longFile(const QTemporaryDir& folder)
{
    const QString path = folder.filePath(QStringLiteral("long.hex"));
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(QByteArray(QByteArray(49, 'A') + "\r\n").repeated(600));
    return path;
}

struct StopFigures {
    Figures toLastByte, toEnd, bytesAfter;
    void print(const char* what, const char* end, int baud) const
    {
        std::printf("%-8s at %6d baud: last byte %+.1f ms after it (median, worst %+.1f), %s "
                    "%.1f ms after it (median, worst %.1f), %.0f bytes after it at most\n",
                    what, baud, toLastByte.median(), toLastByte.worst(), end, toEnd.median(),
                    toEnd.worst(), bytesAfter.worst());
    }
    void note(const std::vector<PtyPeer::TimedByte>& bytes, qint64 at, qint64 endedAt)
    {
        const qint64 last = bytes.empty() ? at : bytes.back().nanoseconds;
        toLastByte.add(ms(last - at));
        toEnd.add(ms(endedAt - at));
        bytesAfter.add(double(std::count_if(bytes.begin(), bytes.end(),
                                            [at](const auto& b) { return b.nanoseconds > at; })));
    }
};

// Escape in the real window, 300 to 500 ms into a download, delivered as the platform
// delivers a key to the window.
void escapeRun(int baud, const QString& file, StopFigures& figures)
{
    TestProfile profile;
    PtyPeer module;
    profile.link(1, module.devicePath());
    VirtualClock unused;
    TerminalPlatform platform = profile.platform(unused);
    platform.pause = realPause();
    ScriptedPrompts prompts;
    prompts.downloadFile = file;
    TMain window(platform, &prompts);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        std::puts("the window was never shown");
    QCoreApplication::sendPostedEvents(&window, QEvent::MetaCall);
    window.core().portControl().selectLineParameter(&TerminalState::baudRate, baud);

    qint64 escapeAt = 0, endedAt = 0;
    QObject::connect(&window.core().download(), &DownloadRun::ended, [&] { endedAt = nowNs(); });
    QTimer::singleShot(300 + QRandomGenerator::global()->bounded(200), [&] {
        escapeAt = nowNs();
        QTest::keyClick(window.windowHandle(), Qt::Key_Escape);
    });
    LineWatch line(module);
    window.findChild<QAction*>(QStringLiteral("DownloadFile"))->trigger();
    QTest::qWait(200);
    figures.note(line.stop(), escapeAt, endedAt);
    window.close();
}

// SIGTERM to the real program once its download has begun.
void signalRun(int baud, const QString& file, StopFigures& figures)
{
    TestProfile profile;
    PtyPeer module;
    profile.link(1, module.devicePath());
    profile.writeSettings(QStringLiteral("1.10"),
                          "[General]\nBaud%20Rate=" + QByteArray::number(baud) + "\n");
    QProcessEnvironment hand;
    hand.insert(QStringLiteral("QT_PLUGIN_PATH"), QStringLiteral(SERIVOX_HAND_PLUGINS));
    hand.insert(QStringLiteral("QT_QPA_GENERIC_PLUGINS"), QStringLiteral("serivoxhand"));
    hand.insert(QStringLiteral("SERIVOX_HAND_DOWNLOAD"), file);
    RealProgram serivox(QStringLiteral(SERIVOX_BINARY), profile, hand);
    if (module.readExactly(10, 30000).size() != 10) {
        std::puts("the download never began");
        return;
    }
    LineWatch line(module);
    QTest::qWait(QRandomGenerator::global()->bounded(200));
    const qint64 signalAt = nowNs();
    serivox.signal(SIGTERM);
    serivox.process().waitForFinished(30000);
    const qint64 endedAt = nowNs();
    QTest::qWait(200);
    figures.note(line.stop(), signalAt, endedAt);
}

// A 1 GB file of 49-character lines chosen for download: the time until the question that
// says how long it will take, which comes once the file is measured, and the memory it took.
void measureGigabyte()
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("huge.hex"));
    {
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        const QByteArray block = QByteArray(QByteArray(49, 'A') + "\r\n").repeated(20'000);
        for (qint64 written = 0; written < (qint64(1) << 30); written += block.size())
            file.write(block);
    }
    TestProfile profile;
    PtyPeer module;
    profile.link(1, module.devicePath());
    VirtualClock clock;
    ScriptedPrompts prompts;
    prompts.downloadFile = path;
    prompts.sendAnswer = false;
    TMain window(profile.platform(clock), &prompts);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        std::puts("the window was never shown");
    QCoreApplication::sendPostedEvents(&window, QEvent::MetaCall);
    const qint64 memoryBefore = probes::peakMemoryKb();
    QElapsedTimer clockOnTheWall;
    clockOnTheWall.start();
    window.findChild<QAction*>(QStringLiteral("DownloadFile"))->trigger();
    std::printf("measuring a 1 GB file before its first byte: %.0f ms, peak memory +%lld MB; "
                "asked \"%s\"\n",
                double(clockOnTheWall.nsecsElapsed()) / 1e6,
                static_cast<long long>((probes::peakMemoryKb() - memoryBefore) / 1024),
                qPrintable(prompts.questions.value(0)));
    window.close();
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    QTemporaryDir folder;
    const QString file = longFile(folder);

    for (const int baud : {9600, 115200}) {
        StopFigures escape, signal;
        for (int run = 0; run < runs; ++run)
            escapeRun(baud, file, escape);
        escape.print("Escape", "download ended", baud);
        for (int run = 0; run < runs; ++run)
            signalRun(baud, file, signal);
        signal.print("SIGTERM", "process ended", baud);
    }
    measureGigabyte();
    return 0;
}
