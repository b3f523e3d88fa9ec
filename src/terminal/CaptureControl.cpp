// The Log item: starting the capture through the file dialog, stopping it, and writing
// what each receive tick collected.
#include "TerminalCore.h"

#include "TerminalTexts.h"
#include "UserPrompts.h"

#include <QDir>
#include <QFileInfo>
#include <QMetaObject>

void TerminalCore::Log1Click()
{
    if (st.Log1) {
        setPanel(4, texts::notCapturing);
        m_captureLog.stop();
        toggleOption(&TerminalState::Log1);
        return;
    }
    const QString proposedName = proposedLogFileName(m_now());
    QString folder = st.logDirectory;
    if (folder.isEmpty())
        folder = st.startDirectory.isEmpty() ? QDir::currentPath() : st.startDirectory;
    st.logPromptCountdown = logPromptTicks;
    emit receiveTicksWanted();
    const UserPrompts::LogFileAnswer answer = m_prompts.askLogFile(folder, proposedName);
    if (answer.confirmed) {
        startCapture(answer.fileName);
        return;
    }
    // Data came while the dialog was open, or it stayed open for the whole countdown:
    // the capture starts anyway, with the proposed name in the folder the dialog showed,
    // so that what the module sends is not missed.
    if (st.logPromptCountdown == 0) {
        const QString shown = answer.directory.isEmpty() ? folder : answer.directory;
        startCapture(QDir(shown).filePath(proposedName));
    }
}

// The file is known by its full path from here on: the program never changes its
// working directory.
void TerminalCore::startCapture(const QString& fileName)
{
    const QFileInfo file(fileName);
    st.logFileName = file.absoluteFilePath();
    st.logDirectory = file.absolutePath();
    if (const std::optional<QString> failure = m_captureLog.start(st.logFileName)) {
        m_prompts.showMessage(texts::unableToOpenLog + st.logFileName, *failure);
        return;
    }
    setPanel(4, texts::capturingPrefix + st.logFileName);
    toggleOption(&TerminalState::Log1);
}

// Every received byte has reached the terminal list by now, whatever the file does.
void TerminalCore::writeCapture()
{
    const std::optional<QString> failure = m_captureLog.flush(m_ticksSoFar);
    if (!failure)
        return;
    // Shown after the tick: a modal box inside the timer's own slot would stop the timer.
    QMetaObject::invokeMethod(
        this,
        [this, text = texts::unableToWriteLog + m_captureLog.fileName(), reason = *failure] {
            m_gate.run([this, text, reason] { m_prompts.showMessage(text, reason); });
        },
        Qt::QueuedConnection);
}
