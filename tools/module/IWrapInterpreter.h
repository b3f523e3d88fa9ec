#pragma once

#include "ModuleState.h"
#include "ReplyQueue.h"

#include <QString>
#include <QStringList>
#include <functional>

// The iWRAP-style command interpreter: one command line in, its replies queued (at once, or
// later for what takes radio time: inquiries, calls, name requests).
class IWrapInterpreter {
public:
    using Notes = std::function<void(const QString&)>;

    IWrapInterpreter(ModuleState& state, ReplyQueue& replies, double timeScale, Notes notes);

    void execute(const QString& line, qint64 nowMs);
    // Power on or RESET: the banner and "READY.".
    void boot(qint64 nowMs);

    // The words of a command line, upper-cased where the module ignores case.
    struct Command {
        QString line;
        QStringList words;
        // The line from its n-th word on, as typed.
        QString from(int n) const;
        QString upper(int n) const { return n < words.size() ? words[n].toUpper() : QString(); }
    };

private:
    using Handler = void (IWrapInterpreter::*)(const Command&);
    struct Row {
        const char* word;
        Handler handler;
    };
    static const Row rows[];

    void set(const Command&);
    void reset(const Command&);
    void inquiry(const Command&);
    void inquiryCancel(const Command&);
    void call(const Command&);
    void close(const Command&);
    void kill(const Command&);
    void list(const Command&);
    void select(const Command&);
    void pair(const Command&);
    void name(const Command&);
    void ident(const Command&);
    void answerAboutDevice(const Command&, const QString& verb, const QString& details);
    void sdp(const Command&);
    void pio(const Command&);
    void info(const Command&);
    void fixedReply(const Command&);

    void reply(const QString& line);
    void replyLater(qint64 delayMs, const QString& line,
                    ReplyQueue::Tag tag = ReplyQueue::Tag::none);
    void syntaxError();
    qint64 scaled(qint64 ms) const { return qint64(ms * m_timeScale); }
    void connectionFails(int link, const QString& reason, qint64 delayMs);
    void disconnect(int link);

    ModuleState& m_state;
    ReplyQueue& m_replies;
    double m_timeScale;
    Notes m_notes;
    qint64 m_now = 0;
    // The inquiry under way: when it started and how long it runs.
    qint64 m_inquiryStart = 0;
    qint64 m_inquiryLength = 0;
};
