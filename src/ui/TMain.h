#pragma once

#include "Handlers.h"
#include "MainWindowSide.h"
#include "MenuBuilder.h"
#include "TerminalCore.h"

#include <QMainWindow>
#include <memory>
#include <vector>

class DownloadInput;
class HelpViewer;
class MainPanel;
class QAction;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QToolBar;
class StatusBar;
class TAbout_Form;
class TerminalView;
class TSettings;
class UserPrompts;
class WindowPrinting;
struct ToolBarLayout;

// The main window. A view of the terminal core: menus, tool bars, the terminal list, the
// command list and the status bar show what the core holds, and their handlers call its
// operations. What the window is made of lives in tables (MenuTables, ToolBarTables); the
// handlers they name are registered in TMainHandlers.cpp.
class TMain : public QMainWindow, private MainWindowSide {
    Q_OBJECT
public:
    // `prompts` answers the core's questions; by default modal boxes over this window.
    explicit TMain(TerminalPlatform platform = {}, UserPrompts* prompts = nullptr,
                   QWidget* parent = nullptr);
    ~TMain() override;

    TerminalCore& core() { return *m_core; }
    StatusBar* statusPanels() const { return m_statusBar; }
    WindowPrinting& printing() { return *m_printing; }

    void FormResize() override;

    // Help on a context number of the help file, in the help viewer.
    void showHelp(int context);
    HelpViewer* helpViewer() const { return m_helpViewer; }
    TAbout_Form* aboutForm() const { return m_about; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // Handlers of the window itself, and the registry of every handler by name.
    void registerHandlers();
    void toggleToolBar(const ToolBarLayout& layout);
    void iWrapCommands1Click();
    void ShowHelpClick();
    void AboutClick();

    // Start-up and exit.
    QRect placement() const override;
    void placeWindow(const SavedPlacement& saved) override;
    void toggleToolBar(bool TerminalState::*shown) override;

    void buildMenus();
    void buildComMenu();
    void buildParametersMenu();
    void buildToolBars();
    void buildMainPanel();
    void buildUnshownControls();
    void bindCoreBoxes();
    void connectCore();
    void followDownloads();

    void showPortMarks();
    void showPortItems();
    void showOptions();
    void showMacBox();
    void showSendBox(const QString& text);
    void showHint(const QString& control, const QString& hint);

    std::unique_ptr<UserPrompts> m_ownPrompts;
    std::unique_ptr<TerminalCore> m_core;
    Handlers m_handlers;
    StatusBar* m_statusBar = nullptr;
    TerminalView* m_listBox = nullptr;
    MainPanel* m_panel = nullptr;
    QComboBox* m_macBox = nullptr;
    QLineEdit* m_macHidden = nullptr;
    QLineEdit* m_sendBox = nullptr;
    QComboBox* m_channel = nullptr;
    QCheckBox* m_mux1 = nullptr;
    std::vector<QAction*> m_portItems; // index n is port n
    std::vector<QAction*> m_lineParameterItems;
    std::vector<TickItem> m_tickItems;
    TAbout_Form* m_about = nullptr;
    HelpViewer* m_helpViewer = nullptr;
    bool m_shown = false;
    enum class Settings { NotRead, Starting, CloseWhenStarted, Read, Saved };
    Settings m_settings = Settings::NotRead;
    TSettings* m_timeoutsDialog = nullptr;
    std::unique_ptr<WindowPrinting> m_printing;
    // What a person does while a download runs: Escape stops it, the rest waits.
    std::unique_ptr<DownloadInput> m_downloadInput;
};
