#pragma once

#include <QProcess>
#include <QString>
#include <sys/types.h>

// Another program: `sleep` with a file or device as its standard input, so that /proc shows a
// process other than the test holding it, the way a script reading a port holds it: without a
// lock file and without taking it exclusively.
class OtherProgram {
public:
    explicit OtherProgram(const QString& holding = QStringLiteral("/dev/null"))
    {
        m_process.setStandardInputFile(holding);
        m_process.start(QStringLiteral("sleep"), {QStringLiteral("600")});
        m_process.waitForStarted(10000);
    }
    ~OtherProgram() { end(); }
    OtherProgram(const OtherProgram&) = delete;
    OtherProgram& operator=(const OtherProgram&) = delete;

    pid_t pid() const { return pid_t(m_process.processId()); }
    void end()
    {
        m_process.kill();
        m_process.waitForFinished(10000);
    }

private:
    QProcess m_process;
};
