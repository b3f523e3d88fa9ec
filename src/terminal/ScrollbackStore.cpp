#include "ScrollbackStore.h"

#include "XdgFolders.h"

#include <QDir>
#include <algorithm>
#include <chrono>
#include <cstring>

namespace {
// Enough for a screenful of rows and their index, a few times over.
constexpr std::size_t cachedBlocks = 16;

qint64 steadyMilliseconds()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
} // namespace

ScrollbackStore::ScrollbackStore() : m_clock(&steadyMilliseconds) {}

void ScrollbackStore::failed(const QString& folder, const QString& reason)
{
    m_retryAt = m_clock() + retryMilliseconds;
    if (m_told)
        return;
    m_told = true;
    if (m_onFailure)
        m_onFailure(folder, reason);
}

// The file, made now if it is not there yet; false while a failure waits for its retry.
bool ScrollbackStore::fileReady()
{
    if (m_retryAt >= 0 && m_clock() < m_retryAt)
        return false;
    m_retryAt = -1;
    if (m_file.isOpen())
        return true;
    // Found when first needed, as the environment then says.
    const QStringList folders =
        m_folders.isEmpty() ? QStringList{serivoxCacheFolder(), QDir::tempPath()} : m_folders;
    std::optional<QString> firstFailure;
    QString firstFolder;
    for (const QString& folder : folders) {
        const std::optional<QString> failure = m_file.open(folder);
        if (!failure)
            return true;
        if (!firstFailure) {
            firstFailure = failure;
            firstFolder = folder;
        }
    }
    // The folder named is the one the file belongs in.
    failed(firstFolder, firstFailure.value_or(QString()));
    return false;
}

qint64 ScrollbackStore::spill(const char* block)
{
    if (!fileReady())
        return -1;
    const qint64 offset = m_file.size();
    if (const std::optional<QString> failure = m_file.append(block, blockSize)) {
        failed(m_file.folder(), *failure);
        return -1;
    }
    m_told = false;
    return offset;
}

const char* ScrollbackStore::block(qint64 offset) const
{
    ++m_uses;
    const auto hit = std::find_if(m_cache.begin(), m_cache.end(),
                                  [offset](const CachedBlock& c) { return c.offset == offset; });
    if (hit != m_cache.end()) {
        hit->lastUse = m_uses;
        return hit->bytes.get();
    }
    if (m_cache.size() < cachedBlocks)
        m_cache.push_back({-1, 0, std::make_unique_for_overwrite<char[]>(blockSize)});
    CachedBlock& slot = *std::min_element(
        m_cache.begin(), m_cache.end(),
        [](const CachedBlock& a, const CachedBlock& b) { return a.lastUse < b.lastUse; });
    slot.lastUse = m_uses;
    slot.offset = offset;
    if (!m_file.read(offset, slot.bytes.get(), blockSize)) {
        std::memset(slot.bytes.get(), 0, blockSize);
        slot.offset = -1; // read again next time
    }
    return slot.bytes.get();
}

void ScrollbackStore::clear()
{
    m_file.clear();
    m_cache.clear();
}
