#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QStringList>

// The display options that decide what received bytes become.
struct ReceiveOptions {
    bool hex = false;         // HexMode Read
    bool unreadable = false;  // UnReadable
    bool addLinefeed = false; // Add Linefeed to \n
    bool echo = false;        // Echo: lines opened by received line ends start with "RX<= "
    bool log = false;         // Log: received text is stamped and captured
    bool timestamp = false;
    bool dateStamp = false;
};

// What the terminal should show and capture for a stream of received bytes, worked out the
// plain way: byte by byte, every rule written out once, nothing optimised. The fuzz target
// compares the real receive path with it.
class ReceiveReference {
public:
    // Bytes that arrived while `options` were set and the clock read `now`.
    void receive(const QByteArray& bytes, const ReceiveOptions& options, const QDateTime& now);

    const QStringList& lines() const { return m_lines; }
    // The capture file's content: every record in UTF-8 followed by CR LF.
    const QByteArray& capture() const { return m_capture; }
    const QStringList& addresses() const { return m_addresses; }

private:
    struct Pass {
        const ReceiveOptions& options;
        const QDateTime& now;
    };
    void bytePass(unsigned char byte, const Pass& pass);
    void escapePass(const QByteArray& sequence, const Pass& pass);
    void endPass(QString text, bool lineEnd, const Pass& pass);
    void addToList(int newLines, const QString& text, bool echo);
    void record(const QString& text);
    void captureAddress(const QString& finishedLine);

    QStringList m_lines;
    QByteArray m_capture;
    QStringList m_addresses;
    QByteArray m_escape; // an escape sequence still missing bytes
};
