#include "CaptureControl.h"

#include "DisplayOptions.h"
#include "HandlerGate.h"
#include "ShownTexts.h"
#include "Stamps.h"
#include "TerminalTexts.h"
#include "UserPrompts.h"

#include <QDir>
#include <QFileInfo>
#include <QMetaObject>

CaptureControl::CaptureControl(Parts parts)
    : m_state(parts.state), m_options(parts.options), m_shown(parts.shown),
      m_prompts(parts.prompts), m_gate(parts.gate), m_now(std::move(parts.now))
{
}

void CaptureControl::Log1Click()
{
    if (m_state.Log1) {
        m_shown.setPanel(4, texts::notCapturing);
        m_log.stop();
        m_options.toggle(&TerminalState::Log1);
        return;
    }
    const QString proposedName = proposedLogFileName(m_now());
    QString folder = m_state.logDirectory;
    if (folder.isEmpty())
        folder = m_state.startDirectory.isEmpty() ? QDir::currentPath() : m_state.startDirectory;
    m_promptCountdown = logPromptTicks;
    emit promptStarted();
    const UserPrompts::LogFileAnswer answer = m_prompts.askLogFile(folder, proposedName);
    if (answer.confirmed) {
        startCapture(answer.fileName);
        return;
    }
    // Data came while the dialog was open, or it stayed open for the whole countdown:
    // the capture starts anyway, with the proposed name in the folder the dialog showed,
    // so that what the module sends is not missed.
    if (m_promptCountdown == 0) {
        const QString shown = answer.directory.isEmpty() ? folder : answer.directory;
        startCapture(QDir(shown).filePath(proposedName));
    }
}

void CaptureControl::countDownPrompt()
{
    if (m_promptCountdown > 0)
        --m_promptCountdown;
}

// The file is known by its full path from here on: the program never changes its
// working directory.
void CaptureControl::startCapture(const QString& fileName)
{
    const QFileInfo file(fileName);
    m_state.logFileName = file.absoluteFilePath();
    m_state.logDirectory = file.absolutePath();
    if (const std::optional<QString> failure = m_log.start(m_state.logFileName)) {
        m_prompts.showMessage(texts::unableToOpenLog + m_state.logFileName, *failure);
        return;
    }
    m_shown.setPanel(4, texts::capturingPrefix + m_state.logFileName);
    m_options.toggle(&TerminalState::Log1);
}

// Date and time come from one reading of the clock, so that a text stamped at midnight
// never carries the new day's date with the old day's time.
QString CaptureControl::stamps()
{
    if (!m_state.Timestamp1 && !m_state.DateStamp1)
        return {};
    const QDateTime now = m_now();
    QString stamps;
    if (m_state.DateStamp1)
        stamps = dateStamp(now.date()) + QLatin1Char(',');
    if (m_state.Timestamp1) {
        const QString stamp = timeStamp(now.time());
        stamps += stamp + QLatin1Char(',');
        m_shown.setPanel(3, stamp);
    }
    return stamps;
}

// Every received byte has reached the terminal list by now, whatever the file does.
void CaptureControl::writeCapture(qint64 ticksSoFar)
{
    const std::optional<QString> failure = m_log.flush(ticksSoFar);
    if (!failure)
        return;
    // Shown after the tick: a modal box inside the timer's own slot would stop the timer.
    QMetaObject::invokeMethod(
        this,
        [this, text = texts::unableToWriteLog + m_log.fileName(), reason = *failure] {
            m_gate.run([this, text, reason] { m_prompts.showMessage(text, reason); });
        },
        Qt::QueuedConnection);
}
