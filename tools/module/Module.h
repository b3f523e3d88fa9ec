#pragma once

#include "EscapeGuard.h"
#include "IWrapInterpreter.h"
#include "ModuleState.h"
#include "MuxFrameParser.h"
#include "ReplyQueue.h"

#include <QByteArray>
#include <QStringList>

// The simulated module on its serial line: bytes in, bytes out, on a clock the caller gives
// (milliseconds, any origin). Command mode reads lines (ended by CR or LF) for the iWRAP-style
// and AT-style interpreters; data mode echoes what it gets, as the far end of the connection
// would, until the escape "+++"; multiplexing mode reads frames and answers in frames.
class Module {
public:
    struct Options {
        double timeScale = 1.0; // multiplies simulated durations (an inquiry's seconds ...)
        int guardMs = 1000;     // the silence around "+++"
    };

    explicit Module(Options options);

    // Powers on: the banner, as after RESET.
    void boot(qint64 nowMs);
    void receive(const QByteArray& bytes, qint64 nowMs);
    // Runs what has come due by now: timed replies, the end of an escape.
    void advance(qint64 nowMs);
    // What the module has sent since the last call.
    QByteArray takeOutput();
    // When something will next come due without further input; -1 for never.
    qint64 nextEventMs() const;
    // What the module did that the bytes do not show (mode changes, rejected frames).
    QStringList takeNotes();

    // The terminal set this speed on the line: the module takes it as its own UART speed.
    void followLineSpeed(int baudRate);

    const ModuleState& state() const { return m_state; }

    static constexpr qsizetype longestLine = 1024;
    // A frame whose bytes stop coming for this long is given up.
    static constexpr qint64 frameTimeoutMs = 1000;

private:
    void receiveCommandBytes(const QByteArray& bytes, qint64 nowMs);
    void receiveFrames(const QByteArray& bytes, qint64 nowMs);
    void takeFrames(qint64 nowMs);
    void takeFrame(const MuxFrameParser::Result& result, qint64 nowMs);
    void executeLine(const QString& line, qint64 nowMs);
    // Hands the rest of a chunk to the mode a command has just switched to.
    void receiveInMode(const QByteArray& bytes, qint64 nowMs);
    void send(int link, const QByteArray& bytes);
    void noteModeChange(qint64 nowMs);
    void note(const QString& text) { m_notes << text; }

    ModuleState m_state;
    ReplyQueue m_replies;
    IWrapInterpreter m_iwrap;
    EscapeGuard m_escape;
    MuxFrameParser m_frames;
    qint64 m_lastFrameByteMs = 0;
    QByteArray m_line;
    bool m_lineTooLong = false;
    Mode m_lastMode = Mode::command;
    int m_lastDataLink = -1;
    QByteArray m_output;
    QStringList m_notes;
};
