#pragma once

#include "ScrollbackFile.h"

#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

// Where the terminal's blocks of old lines go once those in memory outgrow the budget, and
// where they are read back from: the scrollback file, made when the first block leaves
// memory, and a few blocks read back lately, which are what a view scrolled far back shows.
//
// When the file cannot be made or written (a folder that is not writable, a full disk) the
// blocks stay in memory, beyond the budget, rather than any line being lost; the owner hears
// of it once, and the file is tried again a minute later.
class ScrollbackStore {
public:
    static constexpr qint64 blockSize = 64 * 1024;
    static constexpr qint64 defaultBudgetMB = 256;
    static constexpr qint64 retryMilliseconds = 60'000;

    // Milliseconds from any fixed start; the real program takes the steady clock.
    using Clock = std::function<qint64()>;
    // Told the folder and the reason when the file fails, once until it works again.
    using FailureListener = std::function<void(const QString& folder, const QString& reason)>;

    ScrollbackStore();

    // The bytes of lines and their index that stay in memory.
    qint64 budget() const { return m_budget; }
    void setBudget(qint64 bytes) { m_budget = std::max<qint64>(bytes, 0); }
    void setClock(Clock clock) { m_clock = std::move(clock); }
    void setFailureListener(FailureListener listener) { m_onFailure = std::move(listener); }
    // The folders the file is made in, the first that works: by default the user's cache
    // folder, then the system's temporary folder (none given: those).
    void setFolders(QStringList folders) { m_folders = std::move(folders); }

    // What the file holds.
    qint64 fileBytes() const { return m_file.size(); }

    // Writes one block to the file: its offset there, or -1 when it must stay in memory.
    qint64 spill(const char* block);
    // The block at `offset` in the file, read back through the cache. Bytes that cannot be
    // read back (an I/O error) show as zeros rather than as another block's.
    const char* block(qint64 offset) const;
    // Forgets every block in the file and empties it.
    void clear();

private:
    bool fileReady();
    void failed(const QString& folder, const QString& reason);

    struct CachedBlock {
        qint64 offset = -1;
        qint64 lastUse = 0;
        std::unique_ptr<char[]> bytes;
    };

    ScrollbackFile m_file;
    QStringList m_folders;
    qint64 m_budget = defaultBudgetMB * 1024 * 1024;
    Clock m_clock;
    FailureListener m_onFailure;
    qint64 m_retryAt = -1; // while failing: when the file is tried again
    bool m_told = false;
    mutable std::vector<CachedBlock> m_cache;
    mutable qint64 m_uses = 0;
};
