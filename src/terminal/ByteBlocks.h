#pragma once

#include <QString>
#include <memory>
#include <vector>

// Bytes back to back in blocks of a fixed size. Growing never moves what is stored, so an
// append costs what is appended however much is there: one buffer that doubled instead would
// now and then copy all of it, a pause of tens of milliseconds once a line nears 100 MB.
class ByteBlocks {
public:
    qsizetype size() const { return m_size; }
    void append(const char* bytes, qsizetype n);
    // Keeps the first `size` bytes.
    void truncate(qsizetype size);
    void clear();
    // `n` bytes from `from`, each as the character of the same code (Latin-1).
    QString latin1(qsizetype from, qsizetype n) const;

private:
    static constexpr qsizetype blockSize = 64 * 1024;

    std::vector<std::unique_ptr<char[]>> m_blocks;
    qsizetype m_size = 0;
};
