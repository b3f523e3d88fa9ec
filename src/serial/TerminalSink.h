#pragma once

class QString;

// What the driver reflects of its sending in the terminal: the send box and the list; and
// what it tells the terminal of its reading. The driver reads three options here, asks
// whether the send in progress is to stop, and never touches a widget.
class TerminalSink {
public:
    virtual ~TerminalSink() = default;
    virtual bool copyToSendOn() const = 0;
    virtual bool echoOn() const = 0;
    virtual bool multiplexOn() const = 0;
    // A person asked the send in progress to stop (a file download): c_puts writes no
    // further byte, so the send ends after the byte it was pacing.
    virtual bool sendStopped() const = 0;
    virtual void setSendBox(const QString& text) = 0;
    virtual void appendListLine(const QString& text) = 0;
    // A read raised an error on a port that still answers.
    virtual void readFailed() = 0;
    // The port was closed: nothing read from it before is still waiting for its rest.
    virtual void portClosed() = 0;
};
