#pragma once

#include "ScrollbackStore.h"

#include <QByteArrayView>
#include <QHash>
#include <QString>
#include <cstring>
#include <memory>
#include <vector>

// How the terminal's lines are kept: their bytes in fixed blocks (ByteBlocks), where each
// line starts (LineStarts), and the lines themselves over both (TerminalLines).

// Bytes back to back in blocks of a fixed size. Growing never moves what is stored, so an
// append costs what is appended however much is there: one buffer that doubled instead would
// now and then copy all of it, a pause of tens of milliseconds once a line nears 100 MB.
//
// The oldest full blocks can move to the scrollback file (spillOldest); reading them is the
// same as reading those in memory, through the store's cache.
class ByteBlocks {
public:
    static constexpr qsizetype blockSize = ScrollbackStore::blockSize;

    explicit ByteBlocks(ScrollbackStore* store = nullptr) : m_store(store) {}

    qsizetype size() const { return m_size; }
    void append(const char* bytes, qsizetype n);
    // Keeps the first `size` bytes.
    void truncate(qsizetype size);
    void clear();
    // `n` bytes from `from`, each as the character of the same code (Latin-1).
    QString latin1(qsizetype from, qsizetype n) const;
    // Copies `n` bytes from `from` to `out`.
    void copy(qsizetype from, qsizetype n, char* out) const;

    // Blocks held in memory, and those of them that could move to the file: the full ones.
    qsizetype residentBlocks() const { return qsizetype(m_blocks.size()) - m_firstResident; }
    qsizetype spillableBlocks() const
    {
        return std::max<qsizetype>(m_size / blockSize - m_firstResident, 0);
    }
    // Moves the oldest block in memory to the file; false when it stays.
    bool spillOldest();

private:
    struct Block {
        std::unique_ptr<char[]> bytes; // none once in the file
        qint64 fileOffset = -1;
    };
    const char* blockBytes(qsizetype block) const;
    template <typename Piece> void forEachPiece(qsizetype from, qsizetype n, Piece piece) const;

    ScrollbackStore* m_store;
    // Blocks before the first resident one are in the file; it and all after it in memory.
    std::vector<Block> m_blocks;
    qsizetype m_firstResident = 0;
    qsizetype m_size = 0;
};

// Where each line starts in the bytes of the terminal's lines: 8 bytes a line, kept in
// blocks of a fixed size like the text itself, and like it moved to the scrollback file once
// old. Growing never copies what is kept and never holds more than one block unused, where
// one array that doubled would now and then stop the window to copy tens of megabytes and
// hold half as much again for nothing.
class LineStarts {
public:
    explicit LineStarts(ScrollbackStore* store = nullptr) : m_starts(store) {}

    qsizetype size() const { return m_starts.size() / entry; }
    bool empty() const { return m_starts.size() == 0; }
    qsizetype operator[](qsizetype i) const
    {
        qsizetype start = 0;
        m_starts.copy(i * entry, entry, reinterpret_cast<char*>(&start));
        return start;
    }
    qsizetype back() const { return (*this)[size() - 1]; }

    void push_back(qsizetype start)
    {
        char bytes[entry];
        std::memcpy(bytes, &start, entry);
        m_starts.append(bytes, entry);
    }
    void clear() { m_starts.clear(); }

    ByteBlocks& blocks() { return m_starts; }
    const ByteBlocks& blocks() const { return m_starts; }

private:
    static constexpr qsizetype entry = sizeof(qsizetype);
    static_assert(ByteBlocks::blockSize % entry == 0, "a start never crosses a block");

    ByteBlocks m_starts;
};

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
