#pragma once

#include <QByteArray>
#include <QString>
#include <atomic>
#include <termios.h>
#include <vector>

// The module's end of a serial line: the master side of a pseudo-terminal. The program
// opens the slave side; the test sees every byte written and can answer, unplug the
// device (close the master) and plug a new one in.
class PtyPeer {
public:
    PtyPeer();
    ~PtyPeer();
    PtyPeer(const PtyPeer&) = delete;
    PtyPeer& operator=(const PtyPeer&) = delete;

    const QString& devicePath() const { return m_slavePath; }
    bool plugged() const { return m_master >= 0; }

    void send(const QByteArray& bytes);
    // Writes every byte however long the program takes to read them, unless stopped; safe
    // to run on a thread of its own while the program reads.
    void sendPatiently(const QByteArray& bytes, const std::atomic<bool>& stop);
    // Waits at most `waitMs` until the program has bytes from the module to read; false
    // when none came.
    bool awaitBytesForProgram(int waitMs);
    // Whatever arrives within `waitMs`, returning as soon as the line has been quiet
    // for `quietMs` after the first byte.
    QByteArray read(int waitMs = 200, int quietMs = 50);
    // Exactly n bytes, or fewer when `timeoutMs` passes first.
    QByteArray readExactly(qsizetype n, int timeoutMs = 3000);

    struct TimedByte {
        qint64 nanoseconds; // arrival, on std::chrono::steady_clock
        unsigned char byte;
    };
    std::vector<TimedByte> readTimed(qsizetype n, int timeoutMs = 3000);

    // The line settings of the device, as the kernel keeps them (read through the peer's own
    // hold on the device, which the program's exclusive open does not lock out).
    termios line() const;
    void setLine(const termios& settings);
    // The line's speed in bits per second, also a rate that termios has no name for.
    int speed() const;
    // The module stops reading and the line towards it fills up: the program's next write
    // finds no room and has to wait.
    void fillLineToModule();

    void unplug();   // the device goes away; its number stays taken until plugBack
    void plugBack(); // a fresh pseudo-terminal, at a new device path

private:
    void openPair();
    void openOnePair();
    bool waitReadable(int timeoutMs);
    void releaseOldNumber();

    int m_master = -1;
    int m_slave = -1;    // held open so the line stays raw while the program reopens it
    int m_oldSlave = -1; // the unplugged device's slave, holding its number
    QString m_slavePath;
};
