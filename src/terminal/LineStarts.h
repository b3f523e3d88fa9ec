#pragma once

#include "ByteBlocks.h"

#include <cstring>

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
