#pragma once

#include "ComPortOption.h"
#include "ConnectAttempt.h"
#include "NetworkAddress.h"
#include "SerialDevice.h"

#include <QSocketNotifier>
#include <chrono>
#include <memory>
#include <optional>

struct telnet_t;
union telnet_event_t;

// A serial port on another machine, served over TCP (by ser2net, for instance). With
// rfc2217:// (or telnet://) the connection speaks Telnet with the COM-PORT option, so that
// the line settings reach the far port and every byte, 0xFF too, passes as itself; with
// tcp:// it is a raw byte stream whose line settings are the server's business.
//
// The window's thread never waits long: the name is resolved and the connection made on a
// thread of its own (ConnectAttempt), and an open waits for them and for the server's
// answers to the line settings at most openWaitMs in all. An open that gives up leaves the
// attempt running; the reopens that follow (the terminal retries a lost port every tick)
// only look whether it has come through, and a new attempt after a failed one is awaited
// only retryWaitMs, so a host that does not answer does not hold the window again.
class NetworkDevice : public SerialDevice {
public:
    NetworkDevice();
    ~NetworkDevice() override;
    NetworkDevice(const NetworkDevice&) = delete;
    NetworkDevice& operator=(const NetworkDevice&) = delete;

    // The longest an open holds the window: the driver's bound on any wait.
    static constexpr int openWaitMs = 1000;
    // Auto Detect probes many ports one after another: each gets this much.
    static constexpr int probeWaitMs = 500;
    // A reopen of the port whose last open failed waits this long for a new attempt.
    static constexpr int retryWaitMs = 30;
    // How long a connection attempt goes on in the background before it gives up.
    static constexpr int attemptGiveUpMs = 20000;

    bool open(const QString& path, const LineSettings& settings, QString* why) override;
    void close() override;
    bool stateReadable() override;
    void writeByte(unsigned char byte, int limitMs) override;
    ReadOutcome read(QByteArray& bytes, int limitMs) override;
    void setArrivalNotice(std::function<void()> notice) override;
    void watchArrivals(bool watch) override;
    void beginSurvey() override { m_surveying = true; }
    void endSurvey() override;

private:
    using Clock = std::chrono::steady_clock;

    int connectedSocket(const NetworkAddress& address, Clock::time_point deadline, QString* why);
    bool agreeLineSettings(const LineSettings& settings, Clock::time_point deadline, QString* why);
    void watchSocket();
    void sendAll(const char* data, size_t size, int limitMs);
    void sendTelnet(const char* data, size_t size);
    // Takes what the socket holds without waiting; Telnet commands are answered on the way.
    // Received data goes to `into`.
    void takeArrived(QByteArray& into);
    bool awaitReadable(int waitMs);
    void onTelnetEvent(const telnet_event_t& event);
    static void telnetEvent(telnet_t* telnet, telnet_event_t* event, void* self);

    int m_socket = -1;
    std::unique_ptr<telnet_t, void (*)(telnet_t*)> m_telnet;
    std::unique_ptr<QSocketNotifier> m_notifier;
    std::function<void()> m_arrivalNotice;
    bool m_watching = true;
    bool m_surveying = false;
    bool m_hungUp = false;

    // Where received data goes while takeArrived runs.
    QByteArray* m_into = nullptr;
    // Data that came while the line settings were being agreed, for the first read.
    QByteArray m_early;
    // The round of line settings under way, and what the server said of the option.
    std::optional<ComPortOption> m_settings;
    bool m_comPortAccepted = false;
    bool m_comPortRefused = false;
    int m_writeLimitMs = openWaitMs;

    std::shared_ptr<ConnectAttempt> m_attempt;
    QString m_attemptFor;
    QString m_lastFailedFor;
};
