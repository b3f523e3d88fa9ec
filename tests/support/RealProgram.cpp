#include "RealProgram.h"

#include "UucpLocks.h"

#include <QFile>
#include <QTest>
#include <csignal>

RealProgram::RealProgram(const QString& binary, const TestProfile& profile,
                         const QProcessEnvironment& extra)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), profile.configHome());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(extra);
    m_process.setProcessEnvironment(env);
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(binary, {});
    m_started = m_process.waitForStarted(10000);
}

// A test that failed half way leaves no program behind.
RealProgram::~RealProgram()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(10000);
    }
}

bool RealProgram::signal(int signalNumber)
{
    // A process number of 0 would signal the test's own process group.
    const qint64 pid = m_process.processId();
    return pid > 0 && ::kill(pid_t(pid), signalNumber) == 0;
}

QString RealProgram::awaitLockFile(const QString& devicePath, int waitMs)
{
    QString lockPath;
    const auto locked = [&] {
        for (const QString& dir : UucpLocks::standardDirs()) {
            QFile lock(dir + QLatin1Char('/') + lockName(devicePath));
            if (lock.open(QIODevice::ReadOnly) &&
                lock.readLine().trimmed().toLongLong() == m_process.processId()) {
                lockPath = lock.fileName();
                return true;
            }
        }
        return false;
    };
    return QTest::qWaitFor(locked, waitMs) ? lockPath : QString();
}

QString lockName(const QString& devicePath)
{
    return QStringLiteral("LCK..") + QString(devicePath).remove(0, 5).replace('/', '_');
}
