#pragma once

#include <QDialog>

class QLabel;
struct TerminalState;

// The About dialog: the program's name and version and a credit line. It exists from
// start to exit and is shown modally over the main window, centred on it each time.
class TAbout_Form : public QDialog {
    Q_OBJECT
public:
    TAbout_Form(const TerminalState& state, QWidget* mainWindow);

    // The dialog's frame centred over the main window's frame: left is the main window's
    // left plus half its width minus half the dialog's width (each half rounded toward
    // zero), top likewise. Not kept on the screen: it follows the main window anywhere.
    static QPoint centredOver(const QRect& mainFrame, const QSize& dialogFrame);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();
    void AboutCloseClick();

    const TerminalState& m_state;
    QLabel* m_aboutTitle = nullptr;
};
