#include "MainPanel.h"

#include "CommandListView.h"

#include <QHBoxLayout>
#include <QSplitter>

MainPanel::MainPanel(QWidget* terminalList, QWidget* parent)
    : QWidget(parent), m_splitter(new QSplitter(Qt::Horizontal, this)),
      m_commandList(new CommandListView(m_splitter))
{
    setObjectName(QStringLiteral("_Main"));
    m_splitter->setObjectName(QStringLiteral("Splitter1"));
    m_splitter->insertWidget(0, terminalList);
    m_splitter->setStretchFactor(0, 1);
    m_splitter->setStretchFactor(1, 0);
    m_splitter->setCollapsible(0, false);
    m_splitter->setCollapsible(1, false);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_splitter);
}

void MainPanel::setCommandListWidth(int width)
{
    m_commandList->setPreferredWidth(width);
    const QList<int> sizes = m_splitter->sizes();
    const int total = sizes.value(0) + sizes.value(1);
    if (total > 0)
        m_splitter->setSizes({total - width, width});
}
