#pragma once

#include "LineSettings.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

// The Telnet COM-PORT option (RFC 2217) as far as the terminal needs it: the line settings a
// client asks the server for, and the server's answers to them. The server answers each
// setting with the same command plus 100 and the value it now has.
class ComPortOption {
public:
    static constexpr unsigned char telnetOption = 44;

    // Starts a round of settings: baud rate, data bits, parity, and the stop bits when they
    // are 1 or 2 (any other value keeps the server's own).
    explicit ComPortOption(const LineSettings& settings);

    // The sub-negotiations to send, each a command byte followed by its value.
    const std::vector<QByteArray>& requests() const { return m_requests; }
    // Takes one sub-negotiation from the server; answers to other commands are ignored.
    void takeAnswer(const QByteArray& subnegotiation);
    bool allAnswered() const { return m_unanswered.empty(); }
    // The settings the server answered with another value, for a person to read; empty
    // when it took them all.
    const QStringList& notTaken() const { return m_notTaken; }
    // The settings still waiting for an answer, for a person to read.
    QStringList unanswered() const;

    // Whether the settings can be asked for at all; false with the reason in `why`.
    static bool valid(const LineSettings& settings, QString* why);

private:
    std::vector<QByteArray> m_requests;
    std::vector<QByteArray> m_unanswered;
    QStringList m_notTaken;
};
