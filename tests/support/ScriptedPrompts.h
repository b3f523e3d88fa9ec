#pragma once

#include "UserPrompts.h"

#include <QStringList>
#include <functional>

// Answers the terminal's questions in tests and remembers what it was shown.
class ScriptedPrompts : public UserPrompts {
public:
    void showMessage(const QString& text, const QString& detail) override
    {
        messages.append(text);
        details.append(detail);
        if (whileShown)
            whileShown(); // what runs while a modal box is open
    }

    // The capture file dialog: the script answers, by default with a cancel in the folder
    // it was opened on; what runs while it is open is the script's to do.
    LogFileAnswer askLogFile(const QString& directory, const QString& proposedName) override
    {
        logDialogs.append({directory, proposedName});
        if (logFileDialog)
            return logFileDialog(directory, proposedName);
        return {false, QString(), directory};
    }

    QStringList messages;
    QStringList details;
    std::function<void()> whileShown;

    struct LogDialog {
        QString directory;
        QString proposedName;
    };
    QList<LogDialog> logDialogs;
    std::function<LogFileAnswer(const QString& directory, const QString& proposedName)>
        logFileDialog;
};
