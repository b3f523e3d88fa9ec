#pragma once

#include <QtGlobal>
#include <memory>
#include <vector>

// Where each line starts in the bytes of the terminal's lines: 8 bytes a line, kept in
// chunks of a fixed size. Growing never copies what is kept and never holds more than one
// chunk unused, where one array that doubled would now and then stop the window to copy
// tens of megabytes and hold half as much again for nothing.
class LineStarts {
public:
    qsizetype size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    qsizetype operator[](qsizetype i) const { return m_chunks[chunkOf(i)][offsetOf(i)]; }
    qsizetype back() const { return (*this)[m_size - 1]; }

    void push_back(qsizetype start)
    {
        if (offsetOf(m_size) == 0 && chunkOf(m_size) == m_chunks.size())
            m_chunks.push_back(std::make_unique_for_overwrite<qsizetype[]>(chunkSize));
        m_chunks[chunkOf(m_size)][offsetOf(m_size)] = start;
        ++m_size;
    }
    void clear()
    {
        m_chunks.clear();
        m_chunks.shrink_to_fit();
        m_size = 0;
    }

private:
    static constexpr qsizetype chunkSize = 8192; // 64 KiB
    static std::size_t chunkOf(qsizetype i) { return std::size_t(i / chunkSize); }
    static qsizetype offsetOf(qsizetype i) { return i % chunkSize; }

    std::vector<std::unique_ptr<qsizetype[]>> m_chunks;
    qsizetype m_size = 0;
};
