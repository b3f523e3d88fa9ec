#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QString>
#include <array>
#include <optional>
#include <sys/types.h>

struct stat;

// Month texts of the proposed capture file name, by month number; 0 is never a real month.
extern const std::array<const char*, 13> monthNames;

// The name the capture dialog proposes: day, month text, year, "-", hour, "h", minutes,
// ".csv"; 03Mar2026-9h05.csv at 9:05 on 3 March 2026.
QString proposedLogFileName(const QDateTime& now);

// The capture file. Records are collected while a receive tick runs and appended at its
// end with one open, write and close, so the file is complete on disk between ticks and
// nothing is held open. The file is only ever appended to. Text is written in UTF-8, each
// record followed by CR LF.
//
// The capture writes to the file it started with and to no other: each append reaches it by
// the path its name led to at the start, follows no link planted there since, and checks
// that the file it opened is that file (device and inode). A file deleted, or replaced by
// another file or a link, is gone, and nothing is written in its place.
class CaptureLog {
public:
    // Receive ticks (10 ms each) of writes that go well before a spell of failures is over:
    // a disk that is filling up lets a small write through now and then, and that does not
    // end the spell.
    static constexpr qint64 ticksEndingASpell = 100;

    // Makes `fileName` the capture file, creating it empty when it does not exist; an
    // existing file keeps its content. A link is followed to its target. What is not a file
    // (a named pipe, a socket, a block device) is refused; a character device such as
    // /dev/null is taken. The reason when it cannot be used. Never waits on the file.
    std::optional<QString> start(const QString& fileName);
    void stop();

    void add(const QString& record);
    // A record whose characters are the codes 0 to 255, given as one byte each.
    void addLatin1(QByteArrayView record);
    // Appends what was collected; `tick` is the number of the receive tick that runs. A
    // failure is told once, when a spell of failures begins (the reason); nothing more is
    // told until the spell is over, once writes have gone well for ticksEndingASpell ticks.
    // The records of a failed write are dropped, not piled up.
    std::optional<QString> flush(qint64 tick);

    const QString& fileName() const { return m_fileName; }

private:
    // Which file it is, whatever name leads to it. The kind is part of it: a file system may
    // give a deleted file's inode number to the next thing made, a link say.
    struct Identity {
        dev_t device = 0;
        ino_t inode = 0;
        mode_t kind = 0;
        bool operator==(const Identity&) const = default;
    };
    static Identity identityOf(const struct stat& info);

    std::optional<QString> append();
    bool stillThere() const;

    QString m_fileName; // as chosen, for the messages
    QString m_path;     // where the name led at the start, without links
    Identity m_identity;
    QByteArray m_pending;
    bool m_failing = false;
    std::optional<qint64> m_goingWellSince; // the tick of the first good write of a spell
};
