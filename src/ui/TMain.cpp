#include "TMain.h"

#include "CommandList.h"
#include "CommandListView.h"
#include "DialogPrompts.h"
#include "DownloadInput.h"
#include "Fonts.h"
#include "HelpContexts.h"
#include "HelpKey.h"
#include "HelpViewer.h"
#include "LineParameters.h"
#include "MainPanel.h"
#include "PortItems.h"
#include "StatusBar.h"
#include "TAbout_Form.h"
#include "TerminalTexts.h"
#include "TerminalView.h"
#include "Timeouts.h"
#include "ToolBarBuilder.h"
#include "ToolBarTables.h"
#include "WindowPlacement.h"
#include "WindowPrinting.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QToolBar>
#include <utility>

namespace {
constexpr int clientWidth = 965;
constexpr int clientHeight = 660;
constexpr int leastWidth = 100;
const QStringList channelItems{"0", "1", "2", "3", "4", "5", "6", "255"};
constexpr int contentsContext = 1;
} // namespace

TMain::TMain(TerminalPlatform platform, UserPrompts* prompts, QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("Main"));
    setWindowTitle(texts::appTitle);
    setFont(windowFont());
    if (!prompts) {
        m_ownPrompts = std::make_unique<DialogPrompts>(this);
        prompts = m_ownPrompts.get();
    }
    m_core = std::make_unique<TerminalCore>(*prompts, std::move(platform));

    registerHandlers();
    buildMenus();
    buildToolBars();
    buildMainPanel();
    m_statusBar = new StatusBar(this);
    setStatusBar(m_statusBar);
    bindCoreBoxes();
    connectCore();
    followDownloads();
    m_timeoutsDialog = new TSettings(m_core->io(), *prompts, this);
    m_printing = std::make_unique<WindowPrinting>(*this, *m_listBox, *prompts);

    m_about = new TAbout_Form(m_core->state(), this);
    assignHelpContexts(this);
    connect(new HelpKey(this), &HelpKey::helpRequested, this, &TMain::showHelp);

    setMinimumWidth(leastWidth);
    resize(clientWidth, clientHeight + menuBar()->sizeHint().height());

    m_core->receiver().startTicking();
}

TMain::~TMain() = default;

void TMain::buildMenus()
{
    buildMenu(menuBar(), fileMenu, m_handlers, m_tickItems);
    buildComMenu();
    buildParametersMenu();
    buildMenu(menuBar(), viewMenu, m_handlers, m_tickItems);
    buildMenu(menuBar(), commandsMenu, m_handlers, m_tickItems);
    buildMenu(menuBar(), helpMenu, m_handlers, m_tickItems);
    // Whatever a check item's handler did, its tick then shows the option.
    for (const TickItem& tick : m_tickItems)
        connect(tick.item, &QAction::triggered, this, &TMain::showOptions);
}

void TMain::buildComMenu()
{
    QMenu* com = menuBar()->addMenu(QStringLiteral("COM"));
    com->setObjectName(QStringLiteral("COM"));
    QAction* autoDetect = com->addAction(QStringLiteral("Auto Detect"));
    autoDetect->setObjectName(QStringLiteral("AutoDetect1"));
    autoDetect->setCheckable(true);
    connect(autoDetect, &QAction::triggered, m_handlers["AutoDetect1Click"]);
    m_tickItems.push_back({autoDetect, &TerminalState::AutoDetect1});

    std::vector<QMenu*> groups;
    m_portItems.assign(PortsFolder::lastPort + 1, nullptr);
    for (int port = PortsFolder::firstPort; port <= PortsFolder::lastPort; ++port) {
        if (port > portsInMenu && (port - portsInMenu - 1) % portsPerGroup == 0) {
            const PortGroup& group = portGroups[groups.size()];
            QMenu* sub = com->addMenu(QString::fromLatin1(group.caption));
            sub->setObjectName(QString::fromLatin1(group.name));
            sub->menuAction()->setObjectName(QString::fromLatin1(group.name));
            if (group.hint)
                sub->menuAction()->setToolTip(QString::fromLatin1(group.hint));
            groups.push_back(sub);
        }
        QMenu* menu = port <= portsInMenu ? com : groups.back();
        QAction* item = menu->addAction(portItemCaption(port));
        item->setObjectName(portItemName(port));
        item->setCheckable(true);
        item->setToolTip(m_core->ports().describe(port));
        connect(item, &QAction::triggered, this, [this, port] {
            m_core->gate().run([this, port] {
                m_core->portControl().set_comx(port, 1);
                showPortMarks();
            });
        });
        m_portItems[std::size_t(port)] = item;
    }
    // Which device is behind each number can change while the program runs.
    connect(com, &QMenu::aboutToShow, this, [this] {
        for (int port = PortsFolder::firstPort; port <= PortsFolder::lastPort; ++port)
            m_portItems[std::size_t(port)]->setToolTip(m_core->ports().describe(port));
    });
    com->setToolTipsVisible(true);
    for (QMenu* group : groups)
        group->setToolTipsVisible(true);
}

void TMain::buildParametersMenu()
{
    QMenu* parameters = menuBar()->addMenu(QStringLiteral("Parameters"));
    parameters->setObjectName(QStringLiteral("Baud1"));
    for (const LineParameterItem& row : lineParameterItems) {
        if (row.separatorBefore)
            parameters->addSeparator()->setObjectName(QString::fromLatin1(row.separatorBefore));
        QAction* item = parameters->addAction(QString::fromLatin1(row.caption));
        item->setObjectName(QString::fromLatin1(row.name));
        item->setCheckable(true);
        connect(item, &QAction::triggered, this, [this, &row] {
            m_core->gate().run([this, &row] {
                m_core->portControl().selectLineParameter(row.field, row.value);
                showPortMarks();
            });
        });
        m_lineParameterItems.push_back(item);
    }
    parameters->addSeparator()->setObjectName(QStringLiteral("N7"));
    QAction* timeouts = parameters->addAction(QStringLiteral("Timeouts"));
    timeouts->setObjectName(QStringLiteral("Timeouts1"));
    connect(timeouts, &QAction::triggered, m_handlers["Timeouts1Click"]);
}

// The main tool bar, then the optional ones, each on a row of its own below the last,
// hidden until their View item shows them.
void TMain::buildToolBars()
{
    bool first = true;
    for (const ToolBarLayout& layout : toolBarLayouts()) {
        QToolBar* bar = buildToolBar(layout, m_handlers, this);
        if (!std::exchange(first, false))
            addToolBarBreak(Qt::TopToolBarArea);
        addToolBar(Qt::TopToolBarArea, bar);
        if (layout.shown)
            bar->hide();
    }
}

void TMain::buildMainPanel()
{
    m_listBox = new TerminalView(*m_core, this);
    fillMenu(m_listBox->popupMenu(), popupMenu, m_handlers, m_tickItems);

    m_panel = new MainPanel(m_listBox, this);
    connect(m_panel->commandList(), &CommandListView::lineChosen, m_core.get(),
            [core = m_core.get()](const QString& line) {
                core->gate().run([core, line] { commands::IWrapClick(*core, line); });
            });
    setCentralWidget(m_panel);
    buildUnshownControls();
}

// The controls the window holds but never shows sit in a window of their own that is never
// shown either. Among the main window's widgets they would be listed to assistive
// technology, which lists hidden widgets too, as doubles of the buttons that show: a second
// "SET", "RESET" and "LIST", and a second HID tool bar.
void TMain::buildUnshownControls()
{
    auto* holder = new QWidget(this, Qt::Window);
    holder->setObjectName(QStringLiteral("UnshownControls"));
    for (const ControlRow& row : hiddenControls())
        buildControl(row, 0, m_handlers, holder);
}

// The boxes whose texts the terminal core holds, and the hints that follow its state.
void TMain::bindCoreBoxes()
{
    m_macBox = findChild<QComboBox*>(QStringLiteral("ComboBox1"));
    m_macBox->setEditText(m_core->shown().macText());
    connect(m_macBox, &QComboBox::editTextChanged, &m_core->shown(), &ShownTexts::setMacText);
    m_macHidden = findChild<QLineEdit*>(QStringLiteral("MAC"));

    m_sendBox = findChild<QLineEdit*>(QStringLiteral("ESend"));
    m_sendBox->setText(m_core->shown().sendBox());
    // Whatever the box shows is what Send sends, however it got there: typing, paste,
    // undo, drag and drop, an input method or an assistive technology. The core's own
    // changes come back here unchanged and stop, since it only signals a change.
    connect(m_sendBox, &QLineEdit::textChanged, &m_core->shown(), &ShownTexts::setSendBox);

    m_channel = findChild<QComboBox*>(QStringLiteral("Channel"));
    {
        const QSignalBlocker block(m_channel);
        m_channel->addItems(channelItems);
        m_channel->setEditText(m_core->shown().channelText());
    }
    m_mux1 = findChild<QCheckBox*>(QStringLiteral("MUX1"));

    for (const char* control : {"MUX1", "SELECT", "CLOSECH"})
        showHint(QString::fromLatin1(control), m_core->shown().hint(QString::fromLatin1(control)));
}

void TMain::connectCore()
{
    const ShownTexts* shown = &m_core->shown();
    connect(shown, &ShownTexts::panelChanged, m_statusBar, &StatusBar::setPanelText);
    connect(shown, &ShownTexts::titleChanged, this, &QWidget::setWindowTitle);
    connect(shown, &ShownTexts::macBoxChanged, this, &TMain::showMacBox);
    connect(shown, &ShownTexts::sendBoxChanged, this, &TMain::showSendBox);
    connect(shown, &ShownTexts::hintChanged, this, &TMain::showHint);
    const PortControl* port = &m_core->portControl();
    connect(port, &PortControl::marksChanged, this, &TMain::showPortMarks);
    connect(port, &PortControl::portItemsShownChanged, this, &TMain::showPortItems);
    connect(&m_core->options(), &DisplayOptions::optionsChanged, this, &TMain::showOptions);
}

// While a download runs, the status bar shows how far it has come beside its line count,
// with the Stop button; Escape stops it too.
void TMain::followDownloads()
{
    DownloadRun& run = m_core->download();
    const auto showProgress = [this, &run] {
        m_statusBar->showDownload(run.percent(), run.caption());
    };
    connect(&run, &DownloadRun::started, this, [this, &run, showProgress] {
        showProgress();
        m_downloadInput = std::make_unique<DownloadInput>(m_core->gate(), m_statusBar->stopButton(),
                                                          [&run] { run.stop(); });
    });
    connect(&run, &DownloadRun::progressed, this, showProgress);
    connect(&run, &DownloadRun::ended, this, [this] {
        m_statusBar->hideDownload();
        m_downloadInput.reset();
    });
    connect(m_statusBar->stopButton(), &QPushButton::clicked, &run, &DownloadRun::stop);
}

void TMain::showPortMarks()
{
    const PortMarks& marks = m_core->portControl().marks();
    for (int port = PortsFolder::firstPort; port <= PortsFolder::lastPort; ++port)
        m_portItems[std::size_t(port)]->setChecked(port == marks.port);
    for (std::size_t i = 0; i < lineParameterItems.size(); ++i)
        m_lineParameterItems[i]->setChecked(isMarked(lineParameterItems[i], marks));
}

// After an auto-detection only the ports found show, and the groups that hold one of them.
void TMain::showPortItems()
{
    const PortItemsShown& shown = m_core->portControl().portItemsShown();
    for (int port = PortsFolder::firstPort; port <= PortsFolder::lastPort; ++port)
        m_portItems[std::size_t(port)]->setVisible(shown.port(port));
    for (const PortGroup& group : portGroups)
        findChild<QMenu*>(QLatin1String(group.name))->menuAction()->setVisible(shown.group(group));
}

void TMain::showOptions()
{
    for (const TickItem& tick : m_tickItems)
        tick.item->setChecked(m_core->state().*tick.option);
    const QSignalBlocker block(m_mux1);
    m_mux1->setChecked(m_core->state().MUX1);
}

void TMain::showMacBox()
{
    const QSignalBlocker block(m_macBox);
    if (m_macBox->count() != m_core->shown().macItems().size()) {
        m_macBox->clear();
        m_macBox->addItems(m_core->shown().macItems());
    }
    const int index = m_macBox->findText(m_core->shown().macText(), Qt::MatchExactly);
    if (index >= 0)
        m_macBox->setCurrentIndex(index);
    m_macBox->setEditText(m_core->shown().macText());
    m_macHidden->setText(m_core->shown().macHidden());
}

void TMain::showSendBox(const QString& text)
{
    if (m_sendBox->text() != text)
        m_sendBox->setText(text);
}

void TMain::showHint(const QString& control, const QString& hint)
{
    if (auto* widget = findChild<QWidget*>(control))
        widget->setToolTip(hint);
}

void TMain::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    // Start-up runs once the window is on the screen, so that a message about the port
    // (a modal box) appears in front of the window rather than before it.
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_settings = Settings::Starting;
            m_core->startUp().FormShow(this);
            // Typing goes to the module from the start: the terminal list takes the keyboard.
            m_listBox->setFocus();
            if (std::exchange(m_settings, Settings::Read) == Settings::CloseWhenStarted)
                close();
        },
        Qt::QueuedConnection);
}

// Closing the window ends the program: the port is closed and the settings saved, once,
// and only when start-up has read them.
void TMain::closeEvent(QCloseEvent* event)
{
    // Asked to close while a send pauses, the window closes when the send has ended; a
    // download is stopped first.
    if (m_core->gate().pausing()) {
        m_core->download().stop();
        event->ignore();
        m_core->gate().run([this] { close(); });
        return;
    }
    // Asked to close during start-up (a stop signal while its message about the port shows),
    // the window closes when start-up has ended, and saves as after any other start. When
    // the program is quitting, start-up's dialogs return at once.
    if (m_settings == Settings::Starting || m_settings == Settings::CloseWhenStarted) {
        event->ignore();
        m_settings = Settings::CloseWhenStarted;
        return;
    }
    // The receive loop ends with the window: it must not reopen the port once closed.
    m_core->receiver().stopTicking();
    if (std::exchange(m_settings, Settings::Saved) == Settings::Read)
        m_core->startUp().FormDestroy(this);
    else
        m_core->io().c_close();
    if (m_helpViewer)
        m_helpViewer->close();
    QMainWindow::closeEvent(event);
}

void TMain::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    FormResize();
}

// The tool bars, the main panel and the status bar keep their places by layout; the
// window is drawn afresh at its new size.
void TMain::FormResize() { update(); }

// The main window's side of start-up and exit: its placement and its tool bars.

// The frame's position, and the window's own size: the window system's frame around it is
// not the program's, so a restored window keeps its size whatever frame it gets.
QRect TMain::placement() const { return QRect(pos(), size()); }

void TMain::placeWindow(const SavedPlacement& saved)
{
    const QRect where = restoredPlacement(saved, placement(), ScreenLayout::ofThisMachine());
    resize(where.size());
    move(where.topLeft());
}

void TMain::toggleToolBar(bool TerminalState::*shown)
{
    for (const ToolBarLayout& layout : toolBarLayouts())
        if (layout.shown == shown)
            toggleToolBar(layout);
}

// The Help menu: the help topics and the About dialog.

void TMain::ShowHelpClick() { showHelp(contentsContext); }

void TMain::showHelp(int context)
{
    if (m_core->startUp().helpFile().isEmpty())
        return;
    if (!m_helpViewer)
        m_helpViewer = new HelpViewer(this);
    m_helpViewer->showContext(m_core->startUp().helpFile(), context);
}

void TMain::AboutClick() { m_about->exec(); }
