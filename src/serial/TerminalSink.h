#pragma once

class QString;

// What the driver reflects of its sending in the terminal: the send box and the list. The
// driver reads three options here, asks whether the send in progress is to stop, and never
// touches a widget. Of its reading it tells nothing here: the receiver that reads learns how
// each read went from the read itself.
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
};
