#include "TerminalListModel.h"

#include <algorithm>

TerminalListModel::TerminalListModel(QObject* parent) : QAbstractListModel(parent)
{
    m_lines.scrollback().setFailureListener([this](const QString& folder, const QString& reason) {
        emit scrollbackFailed(folder, reason);
    });
}

void TerminalListModel::touchLast()
{
    const int last = m_lines.count() - 1;
    if (m_firstDirty >= 0) {
        m_firstDirty = std::min(m_firstDirty, last);
        return;
    }
    m_firstDirty = last;
    emit changed();
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

void TerminalListModel::appendLatin1ToLast(QByteArrayView latin1)
{
    m_lines.appendLatin1ToLast(latin1);
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
    if (m_lines.widestLine() > m_publishedWidest) {
        m_publishedWidest = m_lines.widestLine();
        emit widestLineGrew();
    }
}

int TerminalListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_published;
}

QVariant TerminalListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_published)
        return {};
    return role == Qt::DisplayRole ? QVariant(m_lines.line(index.row())) : QVariant();
}
