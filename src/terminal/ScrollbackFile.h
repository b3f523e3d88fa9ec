#pragma once

#include <QString>
#include <optional>

// The file that holds the terminal's old lines once they no longer fit in memory. It has no
// name: it is unlinked as it is made (or made without one), so nothing is left behind after
// a crash, and no other program or running instance can open it. Only its owner can read it
// (mode 0600). Data is only ever appended, in whole blocks, and read back with pread: a read
// of a file on a full disk fails with an error rather than killing the program, as touching
// a memory map of it could.
class ScrollbackFile {
public:
    ScrollbackFile() = default;
    ~ScrollbackFile();
    ScrollbackFile(const ScrollbackFile&) = delete;
    ScrollbackFile& operator=(const ScrollbackFile&) = delete;

    bool isOpen() const { return m_fd >= 0; }
    // The folder the file is in, or was last tried in.
    const QString& folder() const { return m_folder; }
    qint64 size() const { return m_size; }

    // Makes a fresh file in `folder`, made (for its owner only) when missing. The reason
    // when it cannot be made.
    std::optional<QString> open(const QString& folder);
    // Writes `n` bytes at the end, which is where they start. On failure the file is as it
    // was, and the reason is returned.
    std::optional<QString> append(const char* bytes, qint64 n);
    // Reads `n` bytes from `offset`; false when they cannot be read.
    bool read(qint64 offset, char* out, qint64 n) const;
    // Empties the file, giving its space back.
    void clear();

private:
    int m_fd = -1;
    qint64 m_size = 0;
    QString m_folder;
};
