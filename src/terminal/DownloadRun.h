#pragma once

#include "Pause.h"

#include <QObject>
#include <QString>

// The file download in progress, as a person follows it and stops it.
//
// The download (commands/FileDownload) measures its file before the first byte and begins
// the run with that plan; every pause of the driver while the run lasts is time sent, so the
// share sent and the time left come from the pace itself. Escape, the Stop button, File Exit
// and the stop signals ask the run to stop: the driver then writes no further byte (see
// TerminalSink::sendStopped) and the download ends where it is.
class DownloadRun : public QObject {
    Q_OBJECT
public:
    // What a file's download will send, known before its first byte.
    struct Plan {
        qint64 lines = 0;   // the lines sent, up to the file's end mark
        qint64 pacedMs = 0; // the time they take at the pace
        bool operator==(const Plan&) const = default;
    };

    bool running() const { return m_running; }
    const Plan& plan() const { return m_plan; }
    // The time paced since the run began.
    qint64 pacedMs() const { return m_pacedMs; }
    // The share of the plan's time sent, 0 to 100.
    int percent() const;
    // The share and the time left, as the status bar shows them: "41 % · 3 min left".
    QString caption() const { return m_caption; }
    // The time left in the words of the caption: "25 s", "3 min", "2 h 05 min".
    static QString timeLeftText(qint64 ms);

    void begin(const Plan& plan);
    void end();
    // Wraps the driver's pause: each pause while the run lasts is progress.
    Pause countingPaces(Pause pause);

    // A person asks the running download to stop; nothing happens when none runs.
    void stop();
    bool stopRequested() const { return m_stopRequested; }

signals:
    void started();
    // The caption changed (the share is part of it).
    void progressed();
    void ended();

private:
    void paced(int ms);
    QString currentCaption() const;

    bool m_running = false;
    bool m_stopRequested = false;
    Plan m_plan;
    qint64 m_pacedMs = 0;
    QString m_caption;
};
