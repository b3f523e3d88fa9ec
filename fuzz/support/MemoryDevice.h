#pragma once

#include "SerialDevice.h"

#include <QByteArray>
#include <memory>

// The line from the module: what it has sent and the device has not served yet.
class MemoryLine {
public:
    void send(const QByteArray& bytes) { m_waiting += bytes; }
    qsizetype waiting() const { return m_waiting.size() - m_served; }
    // Appends everything waiting to `bytes`; false when nothing was.
    bool takeAll(QByteArray& bytes);

private:
    QByteArray m_waiting;
    qsizetype m_served = 0;
};

// A serial device in memory, for fuzzing: it opens whatever path it is given, serves the
// bytes sent on its line at once, in one block, never waits, and drops what is written to it.
class MemoryDevice : public SerialDevice {
public:
    explicit MemoryDevice(std::shared_ptr<MemoryLine> line) : m_line(std::move(line)) {}

    bool open(const QString&, const LineSettings&, QString*) override { return true; }
    void close() override {}
    bool stateReadable() override { return true; }
    void writeByte(unsigned char, int) override {}
    ReadOutcome read(QByteArray& bytes, int) override;

private:
    std::shared_ptr<MemoryLine> m_line;
};
