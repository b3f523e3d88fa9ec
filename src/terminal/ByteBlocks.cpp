#include "ByteBlocks.h"

#include <algorithm>
#include <cstring>

void ByteBlocks::append(const char* bytes, qsizetype n)
{
    while (n > 0) {
        const qsizetype offset = m_size % blockSize;
        if (offset == 0 && qsizetype(m_blocks.size()) * blockSize == m_size)
            m_blocks.push_back(std::make_unique_for_overwrite<char[]>(blockSize));
        const qsizetype piece = std::min(n, blockSize - offset);
        std::memcpy(m_blocks[std::size_t(m_size / blockSize)].get() + offset, bytes,
                    std::size_t(piece));
        m_size += piece;
        bytes += piece;
        n -= piece;
    }
}

void ByteBlocks::truncate(qsizetype size)
{
    m_size = std::clamp<qsizetype>(size, 0, m_size);
    m_blocks.resize(std::size_t((m_size + blockSize - 1) / blockSize));
}

void ByteBlocks::clear()
{
    m_blocks.clear();
    m_blocks.shrink_to_fit();
    m_size = 0;
}

QString ByteBlocks::latin1(qsizetype from, qsizetype n) const
{
    from = std::clamp<qsizetype>(from, 0, m_size);
    n = std::clamp<qsizetype>(n, 0, m_size - from);
    QString text(n, Qt::Uninitialized);
    QChar* out = text.data();
    while (n > 0) {
        const qsizetype offset = from % blockSize;
        const qsizetype piece = std::min(n, blockSize - offset);
        const auto* in =
            reinterpret_cast<const unsigned char*>(m_blocks[std::size_t(from / blockSize)].get()) +
            offset;
        out = std::transform(in, in + piece, out, [](unsigned char c) { return QChar(c); });
        from += piece;
        n -= piece;
    }
    return text;
}
