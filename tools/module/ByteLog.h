#pragma once

#include <QByteArray>
#include <QString>
#include <cstdio>

// One line per chunk of bytes: "RX 0D 53 45 54 0D 0A  |.SET..|" for what arrived and "TX ..."
// for what was sent, so a person (or a test, by joining the hex of the RX lines) sees exactly
// what went over the line. Other events are lines starting "-- ". Every line is flushed.
class ByteLog {
public:
    explicit ByteLog(std::FILE* file) : m_file(file) {}

    void received(const QByteArray& bytes) { write(chunkLine("RX", bytes)); }
    void sent(const QByteArray& bytes) { write(chunkLine("TX", bytes)); }
    void note(const QString& text) { write("-- " + text.toUtf8()); }

    static QByteArray chunkLine(const char* direction, const QByteArray& bytes);

private:
    void write(const QByteArray& line);
    std::FILE* m_file;
};
