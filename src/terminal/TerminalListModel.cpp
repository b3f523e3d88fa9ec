#include "TerminalListModel.h"

#include "TerminalState.h"
#include "TerminalTexts.h"

#include <algorithm>

TerminalListModel::TerminalListModel(const TerminalState& state, QObject* parent)
    : QAbstractListModel(parent), m_state(state)
{
    m_lines.scrollback().setFailureListener([this](const QString& folder, const QString& reason) {
        emit scrollbackFailed(folder, reason);
    });
}

void TerminalListModel::touchLast(qsizetype column)
{
    const int last = m_lines.count() - 1;
    if (m_firstDirty == last) {
        m_firstDirtyColumn = std::min(m_firstDirtyColumn, column);
        return;
    }
    // A line added after the one changed first leaves that one's change as it was.
    if (m_firstDirty >= 0 && m_firstDirty < last)
        return;
    const bool first = m_firstDirty < 0;
    m_firstDirty = last;
    m_firstDirtyColumn = column;
    if (first)
        emit changed();
}

qsizetype TerminalListModel::lastLength() const
{
    return m_lines.isEmpty() ? 0 : m_lines.lineLength(m_lines.count() - 1);
}

void TerminalListModel::AddtoList(int newLine, const QString& s)
{
    if (m_lines.isEmpty())
        addLine(QString());
    if (!s.isEmpty())
        appendToLast(s);
    for (int i = 0; i < newLine; ++i)
        addLine(m_state.Echo1 ? texts::echoPrefix : QString());
    if (newLine == -1)
        removeLastChar();
}

void TerminalListModel::appendReceived(QByteArrayView latin1)
{
    if (latin1.isEmpty() && !m_lines.isEmpty())
        return;
    appendLatin1ToLast(latin1);
}

void TerminalListModel::addLine(const QString& text)
{
    m_lines.addLine(text);
    touchLast(0);
}

void TerminalListModel::appendToLast(const QString& text)
{
    const qsizetype from = lastLength();
    m_lines.appendToLast(text);
    touchLast(from);
}

void TerminalListModel::appendLatin1ToLast(QByteArrayView latin1)
{
    const qsizetype from = lastLength();
    m_lines.appendLatin1ToLast(latin1);
    touchLast(from);
}

void TerminalListModel::removeLastChar()
{
    if (m_lines.isEmpty())
        return;
    m_lines.removeLastChar();
    touchLast(lastLength());
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

TerminalListModel::LineChange TerminalListModel::changeToPublish() const
{
    if (m_firstDirty < 0 || m_firstDirty >= m_published)
        return {};
    return {m_firstDirty, m_firstDirtyColumn};
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
