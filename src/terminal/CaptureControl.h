#pragma once

#include "CaptureLog.h"
#include "TerminalState.h"

#include <QByteArrayView>
#include <QDateTime>
#include <QObject>
#include <functional>

class DisplayOptions;
class HandlerGate;
class ShownTexts;
class UserPrompts;

// The Log item: starting the capture through the file dialog, stopping it, the stamps in
// front of what is captured, and writing what each receive tick collected. Panel 4 shows
// the capture, panel 3 the last time stamp.
class CaptureControl : public QObject {
    Q_OBJECT
public:
    struct Parts {
        TerminalState& state;
        DisplayOptions& options;
        ShownTexts& shown;
        UserPrompts& prompts;
        HandlerGate& gate;
        std::function<QDateTime()> now;
    };
    explicit CaptureControl(Parts parts);

    // Starts the capture through the file dialog, or stops it.
    void Log1Click();
    // Receive ticks the file dialog waits before the capture starts anyway.
    static constexpr int logPromptTicks = 3000;
    bool promptCountingDown() const { return m_promptCountdown > 0; }
    // A receive tick went by; data arrived (the capture must start at once).
    void countDownPrompt();
    void dataArrived() { m_promptCountdown = 0; }

    // The stamps in front of captured text, empty when no stamp is on.
    QString stamps();
    void add(const QString& text) { m_log.add(text); }
    void addLatin1(QByteArrayView text) { m_log.addLatin1(text); }
    // Writes what the tick collected; `ticksSoFar` tells how long writes have gone well.
    void writeCapture(qint64 ticksSoFar);

signals:
    // The file dialog began to count down: the receive ticks must run to count with it.
    void promptStarted();

private:
    void startCapture(const QString& fileName);

    TerminalState& m_state;
    DisplayOptions& m_options;
    ShownTexts& m_shown;
    UserPrompts& m_prompts;
    HandlerGate& m_gate;
    std::function<QDateTime()> m_now;
    CaptureLog m_log;
    int m_promptCountdown = 0;
};
