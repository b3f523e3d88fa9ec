#pragma once

#include <QObject>

class QWidget;

// F1 anywhere in the main window asks for help on what it was pressed in: the control
// that has the keyboard, or the menu that is open. What has no help context of its own
// passes the request to what contains it, up to the window. In a window that the main
// window owns (the help window, a dialog) F1 asks for that window's own topic, and does
// nothing where it has none.
class HelpKey : public QObject {
    Q_OBJECT
public:
    explicit HelpKey(QWidget* mainWindow);

signals:
    void helpRequested(int context);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool inMainWindow(const QWidget* widget) const;

    QWidget* m_mainWindow;
};
