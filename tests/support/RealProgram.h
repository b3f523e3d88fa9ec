#pragma once

#include "TestProfile.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>

// The real program as a child process, offscreen, in a throw-away profile. What it says on its
// error channel (a sanitizer's report, say) shows in the test's output.
class RealProgram {
public:
    // Starts `binary`; `extra` adds to its environment.
    RealProgram(const QString& binary, const TestProfile& profile,
                const QProcessEnvironment& extra = {});
    ~RealProgram();
    RealProgram(const RealProgram&) = delete;
    RealProgram& operator=(const RealProgram&) = delete;

    bool started() const { return m_started; }
    QProcess& process() { return m_process; }
    // Sends the signal to the program; false (and nothing is sent) once it has ended, when
    // it has no process number any more.
    bool signal(int signalNumber);
    // The lock file that names the device and holds the program's process number on its first
    // line, once the program has opened the device; empty when it does not within `waitMs`.
    QString awaitLockFile(const QString& devicePath, int waitMs = 30000);

private:
    QProcess m_process;
    bool m_started = false;
};

// The name of a device's lock file: LCK.. and its path below /dev, with _ for /.
QString lockName(const QString& devicePath);
