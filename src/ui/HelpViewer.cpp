#include "HelpViewer.h"

#include "HelpContexts.h"
#include "HelpTopics.h"
#include "TerminalTexts.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace {
constexpr int contentsContext = 1;
}

HelpViewer::HelpViewer(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("HelpViewer"));
    setWindowTitle(texts::appTitle + QStringLiteral(" Help"));
    // F1 here tells how to use the help, not about the main window that owns this one.
    setHelpContext(this, helpViewerContext);
    m_browser = new QTextBrowser(this);
    m_browser->setObjectName(QStringLiteral("HelpText"));

    auto* contents = new QPushButton(QStringLiteral("Contents"), this);
    connect(contents, &QPushButton::clicked, this,
            [this] { m_browser->setSource(helpTopic(m_helpFile, contentsContext)); });
    auto* back = new QPushButton(QStringLiteral("Back"), this);
    back->setEnabled(false);
    connect(back, &QPushButton::clicked, m_browser, &QTextBrowser::backward);
    connect(m_browser, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(contents);
    buttons->addWidget(back);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(m_browser);
    resize(720, 560);
}

void HelpViewer::showContext(const QString& helpFile, int context)
{
    m_helpFile = helpFile;
    m_context = context;
    m_browser->setSource(helpTopic(helpFile, context));
    show();
    raise();
    activateWindow();
}

QUrl HelpViewer::source() const { return m_browser->source(); }

QString HelpViewer::shownText() const { return m_browser->toPlainText(); }
