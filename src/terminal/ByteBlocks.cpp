#include "ByteBlocks.h"

#include <algorithm>
#include <cstring>

void ByteBlocks::append(const char* bytes, qsizetype n)
{
    while (n > 0) {
        const qsizetype offset = m_size % blockSize;
        if (offset == 0 && qsizetype(m_blocks.size()) * blockSize == m_size)
            m_blocks.push_back({std::make_unique_for_overwrite<char[]>(blockSize), -1});
        const qsizetype piece = std::min(n, blockSize - offset);
        std::memcpy(m_blocks[std::size_t(m_size / blockSize)].bytes.get() + offset, bytes,
                    std::size_t(piece));
        m_size += piece;
        bytes += piece;
        n -= piece;
    }
}

// Only the last line is ever cut, but a long one may reach back into the file: the block
// the new end falls in comes back to memory, and later appends go on from there.
void ByteBlocks::truncate(qsizetype size)
{
    m_size = std::clamp<qsizetype>(size, 0, m_size);
    const qsizetype kept = (m_size + blockSize - 1) / blockSize;
    m_blocks.resize(std::size_t(kept));
    if (kept > 0 && !m_blocks.back().bytes) {
        Block& last = m_blocks.back();
        last.bytes = std::make_unique_for_overwrite<char[]>(blockSize);
        std::memcpy(last.bytes.get(), m_store->block(last.fileOffset), blockSize);
        last.fileOffset = -1;
        m_firstResident = kept - 1; // every block before it is in the file
    }
    m_firstResident = std::min(m_firstResident, kept);
}

void ByteBlocks::clear()
{
    m_blocks.clear();
    m_blocks.shrink_to_fit();
    m_firstResident = 0;
    m_size = 0;
}

bool ByteBlocks::spillOldest()
{
    if (!m_store || spillableBlocks() <= 0)
        return false;
    Block& oldest = m_blocks[std::size_t(m_firstResident)];
    const qint64 offset = m_store->spill(oldest.bytes.get());
    if (offset < 0)
        return false;
    oldest.fileOffset = offset;
    oldest.bytes.reset();
    ++m_firstResident;
    return true;
}

const char* ByteBlocks::blockBytes(qsizetype block) const
{
    const Block& b = m_blocks[std::size_t(block)];
    return b.bytes ? b.bytes.get() : m_store->block(b.fileOffset);
}

template <typename Piece>
void ByteBlocks::forEachPiece(qsizetype from, qsizetype n, Piece piece) const
{
    while (n > 0) {
        const qsizetype offset = from % blockSize;
        const qsizetype length = std::min(n, blockSize - offset);
        piece(blockBytes(from / blockSize) + offset, length);
        from += length;
        n -= length;
    }
}

void ByteBlocks::copy(qsizetype from, qsizetype n, char* out) const
{
    forEachPiece(from, n, [&out](const char* bytes, qsizetype length) {
        out = std::copy(bytes, bytes + length, out);
    });
}

QString ByteBlocks::latin1(qsizetype from, qsizetype n) const
{
    from = std::clamp<qsizetype>(from, 0, m_size);
    n = std::clamp<qsizetype>(n, 0, m_size - from);
    QString text(n, Qt::Uninitialized);
    QChar* out = text.data();
    forEachPiece(from, n, [&out](const char* bytes, qsizetype length) {
        const auto* in = reinterpret_cast<const unsigned char*>(bytes);
        out = std::transform(in, in + length, out, [](unsigned char c) { return QChar(c); });
    });
    return text;
}
