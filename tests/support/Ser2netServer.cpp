#include "Ser2netServer.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QThread>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int startDeadlineMs = 20000;

sockaddr_in loopback(quint16 port)
{
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return a;
}

} // namespace

Ser2netServer::Ser2netServer(const QString& devicePath, Protocol protocol, QString lineSettings)
    : m_devicePath(devicePath), m_protocol(protocol), m_lineSettings(std::move(lineSettings)),
      m_port(freeLoopbackPort())
{
    m_server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
}

Ser2netServer::~Ser2netServer() { stop(); }

quint16 Ser2netServer::freeLoopbackPort()
{
    const int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a = loopback(0);
    socklen_t length = sizeof a;
    ::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
    ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &length);
    ::close(s);
    return ntohs(a.sin_port);
}

QString Ser2netServer::address() const
{
    return QStringLiteral("%1://127.0.0.1:%2")
        .arg(m_protocol == Protocol::Rfc2217 ? QStringLiteral("rfc2217") : QStringLiteral("tcp"))
        .arg(m_port);
}

// Read from the kernel's table of sockets rather than by connecting: a connection would
// make the server open the device, and hold it a moment after the test's own one arrives.
bool Ser2netServer::listening() const
{
    QFile table(QStringLiteral("/proc/net/tcp"));
    if (!table.open(QIODevice::ReadOnly))
        return false;
    const QByteArray local =
        QByteArray("0100007F:") + QByteArray::number(m_port, 16).toUpper().rightJustified(4, '0');
    constexpr char listenState[] = "0A";
    for (const QByteArray& line : table.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() > 3 && fields[1] == local && fields[3] == listenState)
            return true;
    }
    return false;
}

bool Ser2netServer::start()
{
    const QString config = m_dir.filePath(QStringLiteral("ser2net.yaml"));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const char* accepter = m_protocol == Protocol::Rfc2217 ? "telnet(rfc2217),tcp" : "tcp";
    file.write(QStringLiteral("%YAML 1.1\n---\n"
                              "connection: &module\n"
                              "  accepter: %1,127.0.0.1,%2\n"
                              "  connector: serialdev,%3,%4,local\n")
                   .arg(QLatin1String(accepter))
                   .arg(m_port)
                   .arg(m_devicePath, m_lineSettings)
                   .toUtf8());
    file.close();
    // -n: stay in the foreground; -u: no UUCP lock files in the system's lock folder.
    m_server.start(QStringLiteral("ser2net"),
                   {QStringLiteral("-n"), QStringLiteral("-u"), QStringLiteral("-c"), config,
                    QStringLiteral("-P"), m_dir.filePath(QStringLiteral("ser2net.pid"))});
    if (!m_server.waitForStarted(startDeadlineMs))
        return false;
    const QDeadlineTimer deadline(startDeadlineMs);
    while (!deadline.hasExpired() && m_server.state() == QProcess::Running) {
        if (listening())
            return true;
        QThread::msleep(20);
    }
    return false;
}

void Ser2netServer::stop()
{
    if (m_server.state() == QProcess::NotRunning)
        return;
    m_server.terminate();
    if (!m_server.waitForFinished(startDeadlineMs)) {
        m_server.kill();
        m_server.waitForFinished(startDeadlineMs);
    }
}
