#pragma once

#include "DeviceUsers.h"
#include "LineSettings.h"
#include "UucpLocks.h"

#include <QString>
#include <termios.h>

// Opens a local serial device for this program, or says why it will not open: the one place
// that decides. The device is opened once, without waiting (a device that would make an open
// wait is not one to wait for), and every check and every setting is made on that one
// descriptor, in this order:
//  - the line settings asked for are ones a serial line can have;
//  - the path leads to a device (a link is followed: the ports folder links on purpose), and
//    it is a character device;
//  - no running program's lock file gives the device to it;
//  - the device opens (the reason from the system's own error: permission, gone, held);
//  - it is a terminal: its own line settings can be read, and are kept to give back;
//  - no other process has it open (see DeviceUsers);
//  - it is ours: taken exclusively (other programs cannot open it, root still can) and our
//    lock file written;
//  - the line settings are applied (see TtyLine.h), also a rate without a termios name.
// Each refusal says which of these failed, for a person to read.
class PortAccess {
public:
    explicit PortAccess(UucpLocks locks = UucpLocks());
    ~PortAccess();
    PortAccess(const PortAccess&) = delete;
    PortAccess& operator=(const PortAccess&) = delete;

    // The open descriptor, or -1 with the reason in `why`. It stays this object's until
    // release().
    int open(const QString& path, const LineSettings& settings, QString* why);
    // Gives the device back: its own line settings as they were, the exclusive hold and the
    // lock file let go, the descriptor closed. Nothing happens when none is open.
    void release();

    // Many devices are opened one after another (see DeviceUsers).
    void beginSurvey() { m_users.beginSurvey(); }
    bool surveyFurther() { return m_users.surveyFurther(); }
    void endSurvey() { m_users.endSurvey(); }

private:
    int refuse(const QString& reason, QString* why);
    QString openFailure(int error, const QString& path, dev_t device);
    bool takeLine(const QString& path, dev_t device, QString* why);
    bool applySettings(const QString& path, const LineSettings& settings, QString* why);

    UucpLocks m_locks;
    DeviceUsers m_users;
    int m_fd = -1;
    termios m_own{}; // the device's line settings before it was opened here
    // The device is ours: taken exclusively, its settings to be given back on release.
    bool m_lineTaken = false;
};
