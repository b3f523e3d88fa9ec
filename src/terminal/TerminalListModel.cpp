#include "TerminalListModel.h"

#include <QMetaObject>
#include <algorithm>

TerminalListModel::TerminalListModel(QObject* parent) : QAbstractListModel(parent) {}

void TerminalListModel::touchLast()
{
    const int last = m_lines.count() - 1;
    m_firstDirty = m_firstDirty < 0 ? last : std::min(m_firstDirty, last);
    if (!m_publishQueued) {
        m_publishQueued = true;
        QMetaObject::invokeMethod(this, &TerminalListModel::publish, Qt::QueuedConnection);
    }
}

void TerminalListModel::addLine(const QString& text)
{
    m_lines.addLine(text);
    touchLast();
}

void TerminalListModel::appendToLast(const QString& text)
{
    m_lines.appendToLast(text);
    touchLast();
}

void TerminalListModel::removeLastChar()
{
    if (m_lines.isEmpty())
        return;
    m_lines.removeLastChar();
    touchLast();
}

void TerminalListModel::clear()
{
    beginResetModel();
    m_lines.clear();
    m_published = 0;
    m_firstDirty = -1;
    m_publishedWidest = 0;
    endResetModel();
}

void TerminalListModel::publish()
{
    m_publishQueued = false;
    if (m_firstDirty < 0)
        return;
    const int total = m_lines.count();
    if (m_firstDirty < m_published) {
        const int lastKnown = m_published - 1;
        emit dataChanged(index(m_firstDirty), index(lastKnown), {Qt::DisplayRole});
    }
    if (total > m_published) {
        beginInsertRows({}, m_published, total - 1);
        m_published = total;
        endInsertRows();
    }
    m_firstDirty = -1;
    if (m_lines.widestLine() > m_publishedWidest && m_published > 0) {
        // Views with uniform rows take the size of the first; tell them it grew.
        m_publishedWidest = m_lines.widestLine();
        emit dataChanged(index(0), index(0), {Qt::SizeHintRole});
    }
}

void TerminalListModel::setCellSize(int charWidth, int rowHeight)
{
    m_charWidth = charWidth;
    m_rowHeight = rowHeight;
}

int TerminalListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_published;
}

QVariant TerminalListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_published)
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return m_lines.line(index.row());
    case Qt::SizeHintRole:
        return QSize(int(m_publishedWidest + 1) * m_charWidth + 4, m_rowHeight);
    default:
        return {};
    }
}
