#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// The simulated radio module (serivox-module) as a child process: it links its
// pseudo-terminal as COMn in a ports folder, and its log tells exactly which bytes it
// received from the terminal and which it sent back.
class ModuleProcess {
public:
    struct Options {
        QString portsDir;
        int com = 1;
        int guardMs = 200;       // silence around "+++"
        double timeScale = 0.05; // simulated durations, such as an inquiry's seconds
        QStringList extraArguments;
    };

    ModuleProcess(QString binary, Options options);
    ~ModuleProcess();
    ModuleProcess(const ModuleProcess&) = delete;
    ModuleProcess& operator=(const ModuleProcess&) = delete;

    // Starts the module and waits until it says where it is. False with the reason in
    // `why` when it does not come up.
    bool start(QString* why);
    // Ends the module (as a person ending it would) and waits for it.
    void stop();
    bool running() const { return m_process.state() != QProcess::NotRunning; }

    // What the module printed when its link was made.
    int com() const { return m_com; }
    const QString& devicePath() const { return m_devicePath; }
    const QString& linkPath() const { return m_linkPath; }

    // Every byte the module received from the terminal, and every byte it sent to it, so
    // far, in order (read from its log).
    QByteArray received() const { return logged("RX"); }
    QByteArray sent() const { return logged("TX"); }
    QString logFile() const { return m_logDir.filePath(QStringLiteral("module.log")); }
    // Its output on stderr so far, for a failure's message.
    QString errors();

private:
    QByteArray logged(const QByteArray& direction) const;
    bool readAnnouncement(QString* why);

    QString m_binary;
    Options m_options;
    QTemporaryDir m_logDir;
    QProcess m_process;
    QByteArray m_stderr;
    int m_com = 0;
    QString m_devicePath;
    QString m_linkPath;
};
