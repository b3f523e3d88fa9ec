#pragma once

#include "UserPrompts.h"

class QWidget;

// Asks the person at the screen, with modal message boxes over the main window.
class DialogPrompts : public UserPrompts {
public:
    explicit DialogPrompts(QWidget* parent) : m_parent(parent) {}
    std::optional<QString> askDownloadFile() override;

    void showMessage(const QString& text, const QString& detail) override;

private:
    QWidget* m_parent;
};
