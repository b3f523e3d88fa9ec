#include "CommandListView.h"

#include "CommandList.h"

#include <QMouseEvent>
#include <QScopedValueRollback>

CommandListView::CommandListView(QWidget* parent) : QListWidget(parent)
{
    setObjectName(QStringLiteral("IWrap"));
    setAccessibleName(QStringLiteral("iWrap Commands"));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTextElideMode(Qt::ElideNone); // a narrow list shows the start of each line
    setMinimumWidth(1);              // the View menu narrows it to a few pixels
    for (const char* line : commands::iWrapLines()) {
        auto* item = new QListWidgetItem(QString::fromLatin1(line), this);
        item->setSizeHint(QSize(0, rowHeight));
    }
    // A selection made by click or by keyboard; a focus change that only moves the
    // current line without selecting it sends nothing.
    connect(this, &QListWidget::itemSelectionChanged, this, &CommandListView::chooseSelectedLine);
}

void CommandListView::setPreferredWidth(int width)
{
    m_preferredWidth = width;
    updateGeometry();
}

QSize CommandListView::sizeHint() const
{
    return QSize(m_preferredWidth, QListWidget::sizeHint().height());
}

void CommandListView::mousePressEvent(QMouseEvent* event)
{
    QListWidgetItem* pressed = itemAt(event->position().toPoint());
    const bool reclick = pressed && pressed->isSelected();
    QListWidget::mousePressEvent(event);
    // Clicking the line that is already selected changes no selection, yet chooses it.
    if (reclick && pressed->isSelected() && event->button() == Qt::LeftButton)
        emit lineChosen(pressed->text());
}

namespace {

// A press, move, release or double click that the left button takes no part in.
bool isMouseEventWithoutLeftButton(const QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove: {
        const auto* mouse = static_cast<const QMouseEvent*>(event);
        return mouse->button() != Qt::LeftButton && !mouse->buttons().testFlag(Qt::LeftButton);
    }
    default: return false;
    }
}

} // namespace

// The right and middle buttons may select a line, as in any list, but never send it.
bool CommandListView::viewportEvent(QEvent* event)
{
    if (!isMouseEventWithoutLeftButton(event))
        return QListWidget::viewportEvent(event);
    const QScopedValueRollback quiet(m_selectionSends, false);
    return QListWidget::viewportEvent(event);
}

void CommandListView::chooseSelectedLine()
{
    if (!m_selectionSends)
        return;
    const QList<QListWidgetItem*> selected = selectedItems();
    if (!selected.isEmpty())
        emit lineChosen(selected.first()->text());
}
