#pragma once

#include "ScrollbackStore.h"

#include <QString>
#include <memory>
#include <vector>

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
