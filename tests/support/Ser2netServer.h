#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// A real ser2net on the loopback address, serving one device (a pseudo-terminal) on a free
// port, with a configuration written here: Telnet with the COM-PORT option (RFC 2217), or a
// raw TCP stream. It can be stopped and started again on the same port.
class Ser2netServer {
public:
    enum class Protocol { Rfc2217, RawTcp };

    // `lineSettings` is what the server sets the device to for each new connection.
    Ser2netServer(const QString& devicePath, Protocol protocol = Protocol::Rfc2217,
                  QString lineSettings = QStringLiteral("115200n81"));
    ~Ser2netServer();
    Ser2netServer(const Ser2netServer&) = delete;
    Ser2netServer& operator=(const Ser2netServer&) = delete;

    // Starts the server and waits (generously) until it listens; false when it never did.
    bool start();
    void stop();

    quint16 port() const { return m_port; }
    qint64 pid() const { return m_server.processId(); }
    // The ports-folder link target that names it: rfc2217://127.0.0.1:PORT or tcp://...
    QString address() const;

    // A loopback port nothing listens on, found by binding and letting go.
    static quint16 freeLoopbackPort();

private:
    bool listening() const;

    QTemporaryDir m_dir;
    QString m_devicePath;
    Protocol m_protocol;
    QString m_lineSettings;
    quint16 m_port;
    QProcess m_server;
};
