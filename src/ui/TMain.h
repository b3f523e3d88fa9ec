#pragma once

#include "TerminalCore.h"

#include <QMainWindow>
#include <memory>
#include <vector>

class QAction;
class QComboBox;
class QLineEdit;
class QMenu;
class QTimer;
class StatusBar;
class TerminalView;
class UserPrompts;

// The main window. A view of the terminal core: menus, tool bars, the terminal list and
// the status bar show what the core holds, and their handlers call its operations.
class TMain : public QMainWindow {
    Q_OBJECT
public:
    // `prompts` answers the core's questions; by default modal boxes over this window.
    explicit TMain(TerminalPlatform platform = {}, UserPrompts* prompts = nullptr,
                   QWidget* parent = nullptr);
    ~TMain() override;

    TerminalCore& core() { return *m_core; }
    StatusBar* statusPanels() const { return m_statusBar; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QAction* addItem(QMenu* menu, const char* name, const QString& caption);
    void addSeparator(QMenu* menu, const char* name);
    void buildFileMenu();
    void buildComMenu();
    void buildParametersMenu();
    void buildViewMenu();
    void buildMainToolBar();
    void buildTerminal();
    void connectCore();

    void showPortMarks();
    void showOptions();
    void showMacBox();

    std::unique_ptr<UserPrompts> m_ownPrompts;
    std::unique_ptr<TerminalCore> m_core;
    QTimer* m_timer1 = nullptr;
    StatusBar* m_statusBar = nullptr;
    TerminalView* m_listBox = nullptr;
    QComboBox* m_macBox = nullptr;
    QLineEdit* m_macHidden = nullptr;
    std::vector<QAction*> m_portItems; // index n is port n
    std::vector<QAction*> m_lineParameterItems;
    std::vector<QAction*> m_optionItems;
    bool m_shown = false;
};
