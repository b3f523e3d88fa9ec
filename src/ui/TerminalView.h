#pragma once

#include <QListView>

class TerminalCore;
class QMenu;

// ListBox1: the terminal list on screen. A view of the core's list model, with uniform
// rows so that a list of millions of lines scrolls at once.
class TerminalView : public QListView {
    Q_OBJECT
public:
    TerminalView(TerminalCore& core, QWidget* parent = nullptr);
    QMenu* popupMenu() const { return m_popup; }

    static constexpr int rowHeight = 13;

    void applyColours();
    void scrollToTopLine(int topLine);

protected:
    // Every character the keyboard produces goes to the module; other keys move in the list.
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    TerminalCore& m_core;
    QMenu* m_popup;
};
