#include "TerminalView.h"

#include "TerminalCore.h"

#include <QFontMetrics>
#include <QMenu>

TerminalView::TerminalView(TerminalCore& core, QWidget* parent)
    : QListView(parent), m_core(core), m_popup(new QMenu(this))
{
    setObjectName(QStringLiteral("ListBox1"));
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setTextElideMode(Qt::ElideNone);
    setWordWrap(false);

    QFont font(QStringLiteral("Courier"));
    font.setStyleHint(QFont::TypeWriter);
    font.setPixelSize(12);
    setFont(font);
    m_core.list().setCellSize(QFontMetrics(font).horizontalAdvance(QLatin1Char('M')), rowHeight);
    setModel(&m_core.list());

    m_popup->setObjectName(QStringLiteral("PopupMenu1"));
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { m_popup->popup(viewport()->mapToGlobal(at)); });
    connect(&m_core, &TerminalCore::coloursChanged, this, &TerminalView::applyColours);
    connect(&m_core, &TerminalCore::scrollRequested, this, &TerminalView::scrollToTopLine);
    applyColours();
}

void TerminalView::applyColours()
{
    const ListColours colours = m_core.listColours();
    QPalette p = palette();
    p.setColor(QPalette::Base, colours.background);
    p.setColor(QPalette::Text, colours.text);
    setPalette(p);
}

void TerminalView::scrollToTopLine(int topLine)
{
    const QModelIndex top = model()->index(topLine, 0);
    if (top.isValid())
        scrollTo(top, QAbstractItemView::PositionAtTop);
}
