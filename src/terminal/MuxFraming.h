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

// The texts of the frames that carry `text`, in order: pieces of at most maxData
// characters. An empty text is one empty piece.
std::vector<QString> framePieces(const QString& text);
// A frame around one piece of text, one byte per character (its low 8 bits).
QByteArray textFrame(int link, const QString& piece);
// A frame around raw bytes.
QByteArray frame(int link, const QByteArray& data);

// The line the terminal shows for the frame of one piece while Echo is on.
QString traceLine(int link, const QString& piece);
} // namespace mux
