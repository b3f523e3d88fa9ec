#pragma once

#include "UserPrompts.h"

class QWidget;

// Asks the person at the screen, with modal message boxes and file dialogs over the main
// window.
class DialogPrompts : public UserPrompts {
public:
    explicit DialogPrompts(QWidget* parent) : m_parent(parent) {}
    std::optional<QString> askDownloadFile() override;
    bool askToSend(const QString& question) override;

    void showMessage(const QString& text, const QString& detail) override;
    LogFileAnswer askLogFile(const QString& directory, const QString& proposedName) override;

private:
    QWidget* m_parent;
};
