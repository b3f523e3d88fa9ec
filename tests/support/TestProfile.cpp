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

QString TestProfile::settingsDir() const { return m_dir.path() + QStringLiteral("/Serivox"); }

QString TestProfile::settingsFile(const QString& versionText) const
{
    return settingsDir() + QLatin1Char('/') + SettingsStore::fileName(versionText);
}

void TestProfile::writeSettings(const QString& versionText, const QByteArray& text) const
{
    QFile file(settingsFile(versionText));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write %s", qPrintable(file.fileName()));
    file.write(text);
}

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
    p.settingsDir = settingsDir();
    p.listDevices = [] { return QList<PresentDevice>{}; };
    p.pause = clock.pause();
    p.makeDevice = clock.recordingDevices();
    return p;
}
