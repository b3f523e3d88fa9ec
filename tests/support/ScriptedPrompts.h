#pragma once

#include "UserPrompts.h"

#include <QStringList>
#include <functional>
#include <optional>

// Answers the terminal's questions in tests and remembers what it was shown.
class ScriptedPrompts : public UserPrompts {
public:
    // The download's file dialog: answers with `downloadFile`, by default a cancel.
    std::optional<QString> askDownloadFile() override
    {
        ++downloadDialogs;
        return downloadFile;
    }
    std::optional<QString> downloadFile;
    int downloadDialogs = 0;

    // A question before a long send: answered with `sendAnswer`, by default Send.
    bool askToSend(const QString& question) override
    {
        questions.append(question);
        return sendAnswer;
    }
    bool sendAnswer = true;
    QStringList questions;

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
