#pragma once

#include <QString>
#include <optional>

// What the terminal asks of a person. The window answers with modal dialogs, whose
// nested event loops keep the receive timer running; tests answer from a script.
class UserPrompts {
public:
    virtual ~UserPrompts() = default;

    // The file to download (OpenDialog1): its name, which need not exist, or nothing when
    // the dialog was cancelled.
    virtual std::optional<QString> askDownloadFile() = 0;

    // A question before a long send, answered Send (true) or Cancel (false).
    virtual bool askToSend(const QString& question) = 0;

    // A modal message box; `detail` is an optional second text with the reason.
    virtual void showMessage(const QString& text, const QString& detail) = 0;

    // The capture file dialog, opened on `directory` with `proposedName` in its name box.
    struct LogFileAnswer {
        bool confirmed = false;
        QString fileName;  // the chosen file with its full path, when confirmed
        QString directory; // the folder the dialog was showing when it closed
    };
    virtual LogFileAnswer askLogFile(const QString& directory, const QString& proposedName) = 0;
};
