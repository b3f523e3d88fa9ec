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

    // Takes the next bytes of the file and hands every line they complete to `onLine`.
    // Returns false once the end mark has been read: nothing after it belongs to the file.
    bool take(QByteArrayView bytes, const LineHandler& onLine);
    // The file has ended: hands over a last line that had no line end.
    void finish(const LineHandler& onLine);

private:
    QString m_line;
    bool m_lineStarted = false; // bytes have been read since the last line end
    bool m_ended = false;
};

} // namespace commands
