#include "TerminalLines.h"

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

namespace {
bool fitsLatin1(const QString& text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() <= 0xFF; });
}
} // namespace

qsizetype TerminalLines::narrowEnd(int i) const
{
    return i + 1 < count() ? m_starts[i + 1] : m_narrow.size();
}

QString TerminalLines::line(int i) const
{
    if (i < 0 || i >= count())
        return {};
    const auto wide = m_wide.constFind(i);
    if (wide != m_wide.constEnd())
        return *wide;
    const qsizetype start = m_starts[i];
    return m_narrow.latin1(start, narrowEnd(i) - start);
}

QString TerminalLines::slice(int i, qsizetype from, qsizetype count) const
{
    const qsizetype length = lineLength(i);
    from = std::clamp<qsizetype>(from, 0, length);
    count = std::clamp<qsizetype>(count, 0, length - from);
    if (count == 0)
        return {};
    const auto wide = m_wide.constFind(i);
    if (wide != m_wide.constEnd())
        return wide->mid(from, count);
    return m_narrow.latin1(m_starts[i] + from, count);
}

qsizetype TerminalLines::lineLength(int i) const
{
    if (i < 0 || i >= count())
        return 0;
    const auto wide = m_wide.constFind(i);
    if (wide != m_wide.constEnd())
        return wide->size();
    return narrowEnd(i) - m_starts[i];
}

void TerminalLines::appendNarrow(const QString& text)
{
    const QByteArray bytes = text.toLatin1();
    m_narrow.append(bytes.constData(), bytes.size());
}

// Runs after each change, so that memory stays within the budget by at most a block or two.
void TerminalLines::afterGrowth(int i)
{
    m_widest = std::max(m_widest, lineLength(i));
    keepWithinBudget();
}

qint64 TerminalLines::residentBytes() const
{
    return (m_narrow.residentBlocks() + m_starts.blocks().residentBlocks()) * ByteBlocks::blockSize;
}

// The oldest blocks of whichever of text and index holds more in memory go first, so that
// both keep their newest blocks, which are what is read most. A change moves a few blocks at
// most: once a failed file works again, what waited in memory moves a megabyte a change
// rather than gigabytes in one go that would stop the window for seconds.
void TerminalLines::keepWithinBudget()
{
    constexpr int mostBlocksAChange = 16;
    ByteBlocks& index = m_starts.blocks();
    for (int moved = 0; moved < mostBlocksAChange && residentBytes() > m_scrollback.budget();
         ++moved) {
        ByteBlocks& older =
            m_narrow.spillableBlocks() >= index.spillableBlocks() ? m_narrow : index;
        if (!older.spillOldest())
            return;
    }
}

void TerminalLines::addLine(const QString& text)
{
    m_starts.push_back(m_narrow.size());
    if (fitsLatin1(text))
        appendNarrow(text);
    else
        m_wide.insert(count() - 1, text);
    afterGrowth(count() - 1);
}

void TerminalLines::appendToLast(const QString& text)
{
    if (isEmpty()) {
        addLine(text);
        return;
    }
    const int last = count() - 1;
    auto wide = m_wide.find(last);
    if (wide != m_wide.end()) {
        wide->append(text);
    } else if (fitsLatin1(text)) {
        appendNarrow(text);
    } else {
        // The last line turns 16-bit: move its bytes out of the shared buffer.
        const QString widened = line(last) + text;
        m_narrow.truncate(m_starts.back());
        m_wide.insert(last, widened);
    }
    afterGrowth(last);
}

void TerminalLines::appendLatin1ToLast(QByteArrayView latin1)
{
    if (isEmpty())
        m_starts.push_back(m_narrow.size());
    const int last = count() - 1;
    auto wide = m_wide.find(last);
    if (wide != m_wide.end())
        wide->append(QLatin1StringView(latin1));
    else
        m_narrow.append(latin1.data(), latin1.size());
    afterGrowth(last);
}

void TerminalLines::removeLastChar()
{
    if (isEmpty())
        return;
    const int last = count() - 1;
    auto wide = m_wide.find(last);
    if (wide != m_wide.end())
        wide->chop(1);
    else if (m_narrow.size() > m_starts.back())
        m_narrow.truncate(m_narrow.size() - 1);
}

void TerminalLines::clear()
{
    m_narrow.clear();
    m_starts.clear();
    m_wide.clear();
    m_widest = 0;
    m_scrollback.clear();
}
