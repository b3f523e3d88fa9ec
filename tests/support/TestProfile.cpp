#include "TestProfile.h"

#include <QDir>
#include <QFile>

TestProfile::TestProfile() : m_previousConfigHome(qgetenv("XDG_CONFIG_HOME"))
{
    qputenv("XDG_CONFIG_HOME", m_dir.path().toLocal8Bit());
    QDir().mkpath(portsDir());
}

TestProfile::~TestProfile()
{
    if (m_previousConfigHome.isEmpty())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", m_previousConfigHome);
}

QString TestProfile::portsDir() const { return m_dir.path() + QStringLiteral("/Serivox/ports"); }

void TestProfile::link(int port, const QString& target) const
{
    unlink(port);
    QFile::link(target, portsDir() + QStringLiteral("/COM%1").arg(port));
}

void TestProfile::unlink(int port) const
{
    QFile::remove(portsDir() + QStringLiteral("/COM%1").arg(port));
}

TerminalPlatform TestProfile::platform(VirtualClock& clock) const
{
    TerminalPlatform p;
    p.portsDir = portsDir();
    p.listDevices = [] { return QList<PresentDevice>{}; };
    p.pause = clock.pause();
    p.makeDevice = clock.recordingDevices();
    return p;
}
