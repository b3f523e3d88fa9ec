#include "VirtualDisplay.h"

#include <QProcessEnvironment>

// Xvfb picks a free display number itself and writes it to its output (-displayfd 1).
VirtualDisplay::VirtualDisplay()
{
    m_server.start(QStringLiteral("Xvfb"),
                   {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-nolisten"),
                    QStringLiteral("tcp"), QStringLiteral("-screen"), QStringLiteral("0"),
                    QStringLiteral("1280x1024x24")});
    if (!m_server.waitForStarted(10000))
        return;
    while (!m_server.canReadLine() && m_server.waitForReadyRead(30000)) {
    }
    const QByteArray number = m_server.readLine().trimmed();
    if (!number.isEmpty())
        m_name = QStringLiteral(":") + QString::fromLatin1(number);
}

VirtualDisplay::~VirtualDisplay()
{
    m_server.terminate();
    if (!m_server.waitForFinished(10000))
        m_server.kill();
}

bool VirtualDisplay::xdotool(const QStringList& arguments) const
{
    QProcess tool;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), m_name);
    tool.setProcessEnvironment(env);
    tool.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    tool.start(QStringLiteral("xdotool"), arguments);
    return tool.waitForFinished(30000) && tool.exitStatus() == QProcess::NormalExit &&
           tool.exitCode() == 0;
}
