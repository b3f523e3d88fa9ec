#include "TMain.h"

#include "DialogPrompts.h"
#include "LineParameters.h"
#include "PortItems.h"
#include "StatusBar.h"
#include "TerminalTexts.h"
#include "TerminalView.h"
#include "ViewOptions.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QTimer>
#include <QToolBar>

namespace {
constexpr int clientWidth = 965;
constexpr int clientHeight = 660;
constexpr int receiveTickMs = 10;
} // namespace

TMain::TMain(TerminalPlatform platform, UserPrompts* prompts, QWidget* parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("Main"));
    setWindowTitle(texts::appTitle);
    if (!prompts) {
        m_ownPrompts = std::make_unique<DialogPrompts>(this);
        prompts = m_ownPrompts.get();
    }
    m_core = std::make_unique<TerminalCore>(*prompts, std::move(platform));

    buildFileMenu();
    buildComMenu();
    buildParametersMenu();
    buildViewMenu();
    buildMainToolBar();
    buildTerminal();
    m_statusBar = new StatusBar(this);
    setStatusBar(m_statusBar);
    connectCore();

    setMinimumWidth(100);
    resize(clientWidth, clientHeight + menuBar()->sizeHint().height());

    m_timer1 = new QTimer(this);
    m_timer1->setObjectName(QStringLiteral("Timer1"));
    m_timer1->setInterval(receiveTickMs);
    connect(m_timer1, &QTimer::timeout, m_core.get(), &TerminalCore::Timer1Timer);
    m_timer1->start();
}

TMain::~TMain() = default;

QAction* TMain::addItem(QMenu* menu, const char* name, const QString& caption)
{
    QAction* item = menu->addAction(caption);
    item->setObjectName(QString::fromLatin1(name));
    return item;
}

void TMain::addSeparator(QMenu* menu, const char* name)
{
    menu->addSeparator()->setObjectName(QString::fromLatin1(name));
}

void TMain::buildFileMenu()
{
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("File1"));
    connect(addItem(file, "Clear2", QStringLiteral("Clear")), &QAction::triggered, m_core.get(),
            &TerminalCore::Clear1Click);
    addSeparator(file, "N3");
    connect(addItem(file, "Exit1", QStringLiteral("E&xit")), &QAction::triggered, this,
            &QWidget::close);
}

void TMain::buildComMenu()
{
    QMenu* com = menuBar()->addMenu(QStringLiteral("COM"));
    com->setObjectName(QStringLiteral("COM"));
    std::vector<QMenu*> groups;
    m_portItems.assign(PortsFolder::lastPort + 1, nullptr);
    for (int port = PortsFolder::firstPort; port <= PortsFolder::lastPort; ++port) {
        if (port > portsInMenu && (port - portsInMenu - 1) % portsPerGroup == 0) {
            const PortGroup& group = portGroups[groups.size()];
            QMenu* sub = com->addMenu(QString::fromLatin1(group.caption));
            sub->setObjectName(QString::fromLatin1(group.name));
            sub->menuAction()->setObjectName(QString::fromLatin1(group.name));
            groups.push_back(sub);
        }
        QMenu* menu = port <= portsInMenu ? com : groups.back();
        QAction* item = menu->addAction(portItemCaption(port));
        item->setObjectName(portItemName(port));
        item->setCheckable(true);
        item->setToolTip(m_core->ports().describe(port));
        connect(item, &QAction::triggered, this, [this, port] {
            m_core->set_comx(port, 1);
            showPortMarks();
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
            addSeparator(parameters, row.separatorBefore);
        QAction* item = addItem(parameters, row.name, QString::fromLatin1(row.caption));
        item->setCheckable(true);
        connect(item, &QAction::triggered, this, [this, &row] {
            m_core->selectLineParameter(row.field, row.value);
            showPortMarks();
        });
        m_lineParameterItems.push_back(item);
    }
}

void TMain::buildViewMenu()
{
    QMenu* view = menuBar()->addMenu(QStringLiteral("View"));
    view->setObjectName(QStringLiteral("View1"));
    for (const OptionItem& row : viewOptionItems) {
        QAction* item = addItem(view, row.name, QString::fromLatin1(row.caption));
        item->setCheckable(true);
        connect(item, &QAction::triggered, this, [this, &row] {
            (m_core.get()->*row.handler)();
            showOptions();
        });
        m_optionItems.push_back(item);
    }
}

void TMain::buildMainToolBar()
{
    QToolBar* bar = addToolBar(QStringLiteral("ToolBar1"));
    bar->setObjectName(QStringLiteral("ToolBar1"));
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setFixedHeight(30);
    bar->setContextMenuPolicy(Qt::PreventContextMenu);

    auto* label = new QLabel(QStringLiteral("  MAC  "), bar);
    label->setObjectName(QStringLiteral("Label1"));
    bar->addWidget(label);

    m_macBox = new QComboBox(bar);
    m_macBox->setObjectName(QStringLiteral("ComboBox1"));
    m_macBox->setEditable(true);
    m_macBox->setInsertPolicy(QComboBox::NoInsert);
    m_macBox->setFixedWidth(121);
    m_macBox->setEditText(m_core->macText());
    connect(m_macBox, &QComboBox::editTextChanged, m_core.get(), &TerminalCore::setMacText);
    bar->addWidget(m_macBox);

    // Where the receive loop keeps the last inquiry address; never shown.
    m_macHidden = new QLineEdit(this);
    m_macHidden->setObjectName(QStringLiteral("MAC"));
    m_macHidden->setVisible(false);
}

void TMain::buildTerminal()
{
    m_listBox = new TerminalView(*m_core, this);
    auto* clear = m_listBox->popupMenu()->addAction(QStringLiteral("Clear"));
    clear->setObjectName(QStringLiteral("Clear1"));
    connect(clear, &QAction::triggered, m_core.get(), &TerminalCore::Clear1Click);
    setCentralWidget(m_listBox);
}

void TMain::connectCore()
{
    TerminalCore* core = m_core.get();
    connect(core, &TerminalCore::panelChanged, m_statusBar, &StatusBar::setPanelText);
    connect(core, &TerminalCore::titleChanged, this, &QWidget::setWindowTitle);
    connect(core, &TerminalCore::marksChanged, this, &TMain::showPortMarks);
    connect(core, &TerminalCore::optionsChanged, this, &TMain::showOptions);
    connect(core, &TerminalCore::macBoxChanged, this, &TMain::showMacBox);
}

void TMain::showPortMarks()
{
    const PortMarks& marks = m_core->marks();
    for (int port = PortsFolder::firstPort; port <= PortsFolder::lastPort; ++port)
        m_portItems[std::size_t(port)]->setChecked(port == marks.port);
    for (std::size_t i = 0; i < lineParameterItems.size(); ++i)
        m_lineParameterItems[i]->setChecked(isMarked(lineParameterItems[i], marks));
}

void TMain::showOptions()
{
    for (std::size_t i = 0; i < viewOptionItems.size(); ++i)
        m_optionItems[i]->setChecked(m_core->st.*viewOptionItems[i].flag);
}

void TMain::showMacBox()
{
    const QSignalBlocker block(m_macBox);
    if (m_macBox->count() != m_core->macItems().size()) {
        m_macBox->clear();
        m_macBox->addItems(m_core->macItems());
    }
    const int index = m_macBox->findText(m_core->macText(), Qt::MatchExactly);
    if (index >= 0)
        m_macBox->setCurrentIndex(index);
    m_macBox->setEditText(m_core->macText());
    m_macHidden->setText(m_core->macHidden());
}

void TMain::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    m_core->FormShow();
}

void TMain::closeEvent(QCloseEvent* event)
{
    m_core->io().c_close();
    QMainWindow::closeEvent(event);
}
