#pragma once

#include "TerminalLines.h"

#include <QAbstractListModel>

struct TerminalState;

// The terminal list (ListBox1's lines) as a model for a list view. AddtoList and
// appendReceived write it: the receiver what arrived, the transmitter what it echoes. Changes
// collect in the lines and are told to the views in one step (publish), which the view makes
// at most once per display frame, so it lays out and repaints once a frame rather than once
// per byte or per receive tick.
class TerminalListModel : public QAbstractListModel {
    Q_OBJECT
public:
    // `state` says whether Echo is on, which begins each new line with the echo prompt.
    explicit TerminalListModel(const TerminalState& state, QObject* parent = nullptr);

    const TerminalLines& lines() const { return m_lines; }
    // Where old lines go beyond the memory budget.
    ScrollbackStore& scrollback() { return m_lines.scrollback(); }
    const ScrollbackStore& scrollback() const { return m_lines.scrollback(); }

    // Adds `s` to the last line, then `newLine` new lines (each starting with the echo
    // prompt while Echo is on); -1 takes the last character back instead.
    void AddtoList(int newLine, const QString& s);
    // AddtoList(0, s) for received text given as Latin-1 bytes.
    void appendReceived(QByteArrayView latin1);

    void addLine(const QString& text);
    void appendToLast(const QString& text);
    void appendLatin1ToLast(QByteArrayView latin1);
    void removeLastChar();
    void clear();

    // A published line that has changed since the last publish, from character `column` on:
    // the characters before it show as they did, so a view that shows none of the rest (a long
    // line growing beyond its right edge) has nothing to repaint. Removing a character counts
    // as a change where it was. `row` is -1 when no published line has changed.
    struct LineChange {
        int row = -1;
        qsizetype column = 0;
    };
    // What the next publish() tells as a changed row (in its dataChanged), asked before it.
    LineChange changeToPublish() const;
    // Tells the views what changed since the last call.
    void publish();

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

signals:
    // The first change since the last publish: there is something to publish.
    void changed();
    // The longest line grew: a view may need to widen.
    void widestLineGrew();
    // The scrollback file could not be made or written: old lines stay in memory for now.
    void scrollbackFailed(const QString& folder, const QString& reason);

private:
    // The last line changed from character `column` on.
    void touchLast(qsizetype column);
    qsizetype lastLength() const;

    const TerminalState& m_state;
    TerminalLines m_lines;
    int m_published = 0;
    int m_firstDirty = -1;
    qsizetype m_firstDirtyColumn = 0;
    qsizetype m_publishedWidest = 0;
};
