#pragma once

#include <QWidget>

class CommandListView;
class QSplitter;

// _Main: the terminal list and, right of the splitter, the command list. The terminal list
// takes every change of the window's size; the command list keeps its width.
class MainPanel : public QWidget {
    Q_OBJECT
public:
    MainPanel(QWidget* terminalList, QWidget* parent = nullptr);

    CommandListView* commandList() const { return m_commandList; }
    QSplitter* splitter() const { return m_splitter; }

    void setCommandListWidth(int width);

private:
    QSplitter* m_splitter;
    CommandListView* m_commandList;
};
