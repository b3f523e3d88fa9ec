#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QString>
#include <array>
#include <optional>

// Month texts of the proposed capture file name, by month number; 0 is never a real month.
extern const std::array<const char*, 13> monthNames;

// The name the capture dialog proposes: day, month text, year, "-", hour, "h", minutes,
// ".csv"; 03Mar2026-9h05.csv at 9:05 on 3 March 2026.
QString proposedLogFileName(const QDateTime& now);

// The capture file. Records are collected while a receive tick runs and appended at its
// end with one open, write and close, so the file is complete on disk between ticks and
// nothing is held open. The file is only ever appended to. Text is written in UTF-8, each
// record followed by CR LF.
class CaptureLog {
public:
    // Makes `fileName` the capture file, creating it empty when it does not exist; an
    // existing file keeps its content. The reason when it cannot be created or opened.
    std::optional<QString> start(const QString& fileName);
    void stop();

    void add(const QString& record);
    // A record whose characters are the codes 0 to 255, given as one byte each.
    void addLatin1(QByteArrayView record);
    // Appends what was collected. A failure is told once, when writes begin to fail (the
    // reason); while they keep failing nothing more is told, and a write that succeeds
    // ends the episode. The records of a failed write are dropped, not piled up.
    std::optional<QString> flush();

    const QString& fileName() const { return m_fileName; }

private:
    std::optional<QString> append();

    QString m_fileName;
    QByteArray m_pending;
    bool m_failing = false;
};
