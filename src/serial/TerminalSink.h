#pragma once

class QString;

// What the driver reflects of its sending in the terminal: the send box and the list.
// The driver reads three options here and never touches a widget.
class TerminalSink {
public:
    virtual ~TerminalSink() = default;
    virtual bool copyToSendOn() const = 0;
    virtual bool echoOn() const = 0;
    virtual bool multiplexOn() const = 0;
    virtual void setSendBox(const QString& text) = 0;
    virtual void appendListLine(const QString& text) = 0;
    // A read raised an error on a port that still answers.
    virtual void readFailed() = 0;
};
