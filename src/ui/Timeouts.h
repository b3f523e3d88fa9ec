#pragma once

#include "LineSettings.h"

#include <QDialog>
#include <array>

class QLineEdit;
class QPushButton;
class Serial_io;
class UserPrompts;

// "CommPort Timeouts": a modeless dialog over the main window that shows the five time
// limits of the open port and sets them. What it sets lasts until the port is next opened.
class TSettings : public QDialog {
    Q_OBJECT
public:
    // `prompts` shows the message for a box that does not hold a number.
    TSettings(Serial_io& io, UserPrompts& prompts, QWidget* mainWindow);

    static constexpr int boxCount = 5;

    // Runs on every showing: centres the dialog over the main window and shows the port's
    // time limits (with no port open, the ones it showed last).
    void FormShow();
    // "Set": reads the boxes, applies them to the port and hides the dialog. A box that is
    // not a number is reported and the dialog stays open.
    void SetitClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildControls();
    void centreOverMainWindow();
    void showRecord();

    Serial_io& m_io;
    UserPrompts& m_prompts;
    CommTimeouts m_record{0, 0, 0, 0, 0}; // the dialog's own copy, all zero until first read
    std::array<QLineEdit*, boxCount> m_boxes{};
    QPushButton* m_setit = nullptr;
};
