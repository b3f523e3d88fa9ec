#pragma once

#include "ByteBlocks.h"
#include "LineStarts.h"

#include <QByteArrayView>
#include <QHash>
#include <QString>

// The lines of the terminal, stored compactly: received text is 8-bit, so lines are kept
// as Latin-1 bytes back to back in fixed blocks, and only a line that holds a character above
// U+00FF (typed or pasted text) is kept as a 16-bit string of its own. Only the last line ever
// changes; appending to it and opening a new line cost what is appended, whatever the
// length of the line.
//
// Blocks of text and of the line index beyond the memory budget move to the scrollback file
// (ScrollbackStore.h), oldest first; every reader below sees all lines the same wherever
// they are. Lines kept 16-bit stay in memory: they are what a person typed or pasted.
class TerminalLines {
public:
    TerminalLines() = default;
    TerminalLines(const TerminalLines&) = delete;
    TerminalLines& operator=(const TerminalLines&) = delete;

    int count() const { return int(m_starts.size()); }
    bool isEmpty() const { return m_starts.empty(); }
    QString line(int i) const;
    QString lastLine() const { return isEmpty() ? QString() : line(count() - 1); }
    qsizetype lineLength(int i) const;
    // Up to `count` characters of line i from position `from`: what a view shows of a long
    // line, taken without copying the rest of it.
    QString slice(int i, qsizetype from, qsizetype count) const;
    // The longest line seen since the last clear, in characters.
    qsizetype widestLine() const { return m_widest; }

    void addLine(const QString& text);
    void appendToLast(const QString& text);
    // Appends text whose characters are the codes 0 to 255, given as one byte each.
    void appendLatin1ToLast(QByteArrayView latin1);
    void removeLastChar();
    void clear();

    // The budget, the clock and the folders of the file, and who hears of its failures.
    ScrollbackStore& scrollback() { return m_scrollback; }
    const ScrollbackStore& scrollback() const { return m_scrollback; }
    // The bytes of blocks of text and index held in memory.
    qint64 residentBytes() const;

private:
    void keepWithinBudget();

    qsizetype narrowEnd(int i) const;
    void afterGrowth(int i);
    void appendNarrow(const QString& text);

    ScrollbackStore m_scrollback;
    ByteBlocks m_narrow{&m_scrollback};
    LineStarts m_starts{&m_scrollback};
    QHash<int, QString> m_wide;
    qsizetype m_widest = 0;
};
