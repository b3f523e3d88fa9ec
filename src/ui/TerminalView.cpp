#include "TerminalView.h"

#include "TerminalCore.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QMenu>

TerminalView::TerminalView(TerminalCore& core, QWidget* parent)
    : QTableView(parent), m_core(core), m_popup(new QMenu(this))
{
    setObjectName(QStringLiteral("ListBox1"));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(false);
    setWordWrap(false);
    setTextElideMode(Qt::ElideNone);
    setCornerButtonEnabled(false);
    horizontalHeader()->hide();
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(rowHeight);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);

    QFont font(QStringLiteral("Courier"));
    font.setStyleHint(QFont::TypeWriter);
    font.setPixelSize(12);
    setFont(font);
    m_charWidth = QFontMetrics(font).horizontalAdvance(QLatin1Char('M'));
    setModel(&m_core.list());

    m_popup->setObjectName(QStringLiteral("PopupMenu1"));
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { m_popup->popup(viewport()->mapToGlobal(at)); });
    connect(&m_core, &TerminalCore::coloursChanged, this, &TerminalView::applyColours);
    connect(&m_core, &TerminalCore::scrollRequested, this, &TerminalView::scrollToTopLine);
    connect(&m_core.list(), &TerminalListModel::widestLineGrew, this,
            &TerminalView::fitColumnToText);
    connect(&m_core.list(), &QAbstractItemModel::modelReset, this,
            &TerminalView::fitColumnToText);
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
    if (!top.isValid())
        return;
    // Rows just added are laid out lazily; the scroll range must know them first.
    executeDelayedItemsLayout();
    scrollTo(top, QAbstractItemView::PositionAtTop);
}

// One column as wide as the widest line, and never narrower than the view.
void TerminalView::fitColumnToText()
{
    const int textWidth = int(m_core.lines().widestLine() + 1) * m_charWidth + 6;
    horizontalHeader()->resizeSection(0, std::max(textWidth, viewport()->width()));
}

void TerminalView::resizeEvent(QResizeEvent* event)
{
    QTableView::resizeEvent(event);
    fitColumnToText();
}
