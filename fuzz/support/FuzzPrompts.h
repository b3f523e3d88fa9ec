#pragma once

#include "UserPrompts.h"

#include <QStringList>

// Answers what the terminal asks of a person without anyone there: the capture file dialog
// takes `logFile` (or is cancelled when it is empty), the download dialog and the question
// before a long send are cancelled, and messages are kept to be looked at.
class FuzzPrompts : public UserPrompts {
public:
    QString logFile;
    QStringList messages;

    std::optional<QString> askDownloadFile() override { return std::nullopt; }
    bool askToSend(const QString&) override { return false; }
    void showMessage(const QString& text, const QString& detail) override
    {
        messages.append(detail.isEmpty() ? text : text + QLatin1Char('\n') + detail);
    }
    LogFileAnswer askLogFile(const QString& directory, const QString&) override
    {
        return {!logFile.isEmpty(), logFile, directory};
    }
};
