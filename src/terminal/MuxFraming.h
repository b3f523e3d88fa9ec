#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

// Multiplexing-mode frames: Start 0xBF, Link, Flags 0x00, Length, Data, Check (the
// complement of Link). A frame carries at most 255 data bytes; a longer text goes out as
// several frames on the same link, each with its own Length and Check.
namespace mux {
constexpr unsigned char start = 0xBF;
constexpr unsigned char flags = 0x00;
constexpr int maxData = 255;
constexpr int controlLink = 255;

// The frames that carry `text` (one byte per character, its low 8 bits) on `link`.
// An empty text is one frame of length 0.
std::vector<QByteArray> frames(int link, const QString& text);
// A frame around raw bytes.
QByteArray frame(int link, const QByteArray& data);

// The line the terminal shows for a frame while Echo is on.
QString traceLine(int link, const QString& text);
} // namespace mux
