#pragma once

#include <QByteArrayView>
#include <QString>
#include <functional>

// Cuts the bytes of a file into the lines that a download sends, as the file is read.
//
// A line is everything up to the next LF, without it. A CR never belongs to a line: before
// an LF it ends the line with it, anywhere else it is dropped. The byte 0x1A marks the end of
// the file. A last line needs no line end. Every byte becomes the character of the same code,
// so that the file's bytes go to the port exactly as they are in the file.
namespace commands {

class DownloadLines {
public:
    using LineHandler = std::function<void(const QString& line)>;

    // The longest line that is held and sent: a million characters take almost six hours to
    // send. A file with a longer line (a disk image, a file of zeros) is no text file, and
    // holding its line whole could take all the memory there is.
    static constexpr qsizetype longestLine = 1024 * 1024;

    // Takes the next bytes of the file and hands every line they complete to `onLine`.
    // Returns false once the end mark or an overlong line has been read, or the sender
    // stopped: nothing more is handed over.
    bool take(QByteArrayView bytes, const LineHandler& onLine);
    // The file has ended: hands over a last line that had no line end.
    void finish(const LineHandler& onLine);
    // The sender gives up: no more lines are handed over, not even a last one.
    void stop() { m_ended = true; }

    // A line passed longestLine; it was not handed over, nor anything after it.
    bool foundOverlongLine() const { return m_overlong; }

private:
    void addToLine(QByteArrayView run);

    QString m_line;
    bool m_lineStarted = false; // bytes have been read since the last line end
    bool m_ended = false;
    bool m_overlong = false;
};

} // namespace commands
