#include "HelpViewer.h"

#include "HelpTopics.h"
#include "TerminalTexts.h"

#include <QTextBrowser>
#include <QVBoxLayout>

HelpViewer::HelpViewer(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("HelpViewer"));
    setWindowTitle(texts::appTitle + QStringLiteral(" Help"));
    m_browser = new QTextBrowser(this);
    m_browser->setObjectName(QStringLiteral("HelpText"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_browser);
    resize(720, 560);
}

void HelpViewer::showContext(const QString& helpFile, int context)
{
    m_context = context;
    m_browser->setSource(helpTopic(helpFile, context));
    show();
    raise();
    activateWindow();
}

QUrl HelpViewer::source() const { return m_browser->source(); }

QString HelpViewer::shownText() const { return m_browser->toPlainText(); }
