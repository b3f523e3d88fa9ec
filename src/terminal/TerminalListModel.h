#pragma once

#include "TerminalLines.h"

#include <QAbstractListModel>

// The terminal list as a model for a list view. Changes collect in the lines and are
// told to the views in one step (publish), once per receive tick or after a handler,
// so a view repaints once rather than once per byte.
class TerminalListModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit TerminalListModel(QObject* parent = nullptr);

    const TerminalLines& lines() const { return m_lines; }

    void addLine(const QString& text);
    void appendToLast(const QString& text);
    void removeLastChar();
    void clear();

    // Tells the views what changed since the last call.
    void publish();

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

signals:
    // The longest line grew: a view may need to widen.
    void widestLineGrew();

private:
    void touchLast();

    TerminalLines m_lines;
    int m_published = 0;
    int m_firstDirty = -1;
    bool m_publishQueued = false;
    qsizetype m_publishedWidest = 0;
};
