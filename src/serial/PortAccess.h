#pragma once

#include "DeviceUsers.h"
#include "UucpLocks.h"

#include <QString>
#include <termios.h>

// Looks at a device before the port is opened on it: that it is there, that it is a serial
// device, that no other program holds it, and that this user may open it. Each refusal says
// which of these failed, for a person to read.
//
// A successful look keeps the device open until release(), so that the port can be opened
// before this look lets go: the line's other end then sees no hang-up in between.
// The refusal when another program holds the device and does not say who.
QString heldExclusively(const QString& path);

class PortAccess {
public:
    explicit PortAccess(UucpLocks locks = UucpLocks());
    ~PortAccess();
    PortAccess(const PortAccess&) = delete;
    PortAccess& operator=(const PortAccess&) = delete;

    // On success `own` holds the line settings the device has now.
    bool claim(const QString& path, termios* own, QString* why);
    void release();
    // The port is open on the device claimed last.
    void portOpened() { m_users.portOpened(); }
    // Many devices are claimed one after another (see DeviceUsers).
    void beginSurvey() { m_users.beginSurvey(); }
    bool surveyFurther() { return m_users.surveyFurther(); }
    void endSurvey() { m_users.endSurvey(); }

private:
    QString openFailure(int error, const QString& path, dev_t device);
    QString inUseBy(pid_t holder, const QString& path) const;

    UucpLocks m_locks;
    DeviceUsers m_users;
    int m_probe = -1;
};
