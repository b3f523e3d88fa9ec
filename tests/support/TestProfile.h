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
    // Makes COMn a link to `target` (a pseudo-terminal, or a path that does not exist).
    void link(int port, const QString& target) const;
    void unlink(int port) const;

    // A platform over this profile: no system devices, pacing on the given clock.
    TerminalPlatform platform(VirtualClock& clock) const;

private:
    QTemporaryDir m_dir;
    QByteArray m_previousConfigHome;
};
