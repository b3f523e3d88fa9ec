#pragma once

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

// Reads multiplexing-mode frames out of the byte stream: Start 0xBF, Link, Flags 0x00,
// Length, Data, Check (Link XOR 0xFF). Bytes outside a frame and frames whose flags or check
// are wrong are rejected; reading goes on at the next start byte, so one damaged frame does
// not take the following good ones with it. A frame still arriving waits for its bytes.
class MuxFrameParser {
public:
    struct Result {
        bool accepted = false;
        int link = 0;       // accepted frames
        QByteArray dropped; // rejected bytes
        QString why;        // why they were rejected
        QByteArray data;    // accepted frames
    };

    void append(const QByteArray& bytes) { m_buffer += bytes; }
    // The next frame, or the next run of rejected bytes; nothing while the bytes so far do
    // not yet make either.
    std::optional<Result> next();
    bool midFrame() const { return !m_buffer.isEmpty(); }
    // A frame that stopped arriving is given up: its start byte is rejected, and reading
    // goes on after it, where next() may now find a frame it was hiding.
    std::optional<Result> giveUpOnFrame();
    // Everything appended and not read yet (when the line leaves multiplexing mode).
    QByteArray takeRest();
    // append() and every next() result.
    std::vector<Result> feed(const QByteArray& bytes);

private:
    QByteArray m_buffer;
};
