#pragma once

#include "TerminalCore.h"
#include "VirtualClock.h"

#include <QTemporaryDir>

// A throw-away user profile: its own XDG_CONFIG_HOME with an empty ports folder.
class TestProfile {
public:
    TestProfile();
    ~TestProfile();

    QString configHome() const { return m_dir.path(); }
    QString portsDir() const;
    // Where the settings files are, and the one of this version ("1.10").
    QString settingsDir() const;
    QString settingsFile(const QString& versionText) const;
    // Writes that settings file as a person or another program may have left it.
    void writeSettings(const QString& versionText, const QByteArray& text) const;
    // Makes COMn a link to `target` (a pseudo-terminal, or a path that does not exist).
    void link(int port, const QString& target) const;
    void unlink(int port) const;

    // A platform over this profile: no system devices, pacing on the given clock.
    TerminalPlatform platform(VirtualClock& clock) const;

private:
    QTemporaryDir m_dir;
    QByteArray m_previousConfigHome;
};
