#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// How a received byte is shown: the one place that decides it.
struct RenderOptions {
    bool hex = false;        // HexMode Read: every byte as two hex digits and a space
    bool unreadable = false; // bytes outside 0x20..0x7F as characters instead of codes
};

namespace ascii {
constexpr int BS = 0x08;
constexpr int LF = 0x0A;
constexpr int CR = 0x0D;
constexpr int ESC = 0x1B;
} // namespace ascii

// The text a byte other than ESC shows as. BS, CR and LF show as nothing (outside hex mode).
QString renderByte(int byte, const RenderOptions& options);
// The same for a run of bytes (none of them ESC): their texts one after another, appended to
// `text` as Latin-1, the character codes of every text being 0 to 255.
void renderRun(QByteArrayView bytes, const RenderOptions& options, QByteArray& text);

// The four bytes of an escape sequence that is not a clear-screen: hex digits in hex mode,
// otherwise the four characters themselves.
QString renderEscape(const QByteArray& sequence, bool hex);

// ESC [ 2 J, which clears the terminal.
bool isClearScreen(const QByteArray& sequence);
constexpr int escapeSequenceLength = 4;
