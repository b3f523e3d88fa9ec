#pragma once

#include "Ascii.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// How a received byte is shown: the text it becomes in the terminal list and the capture
// (renderByte, renderRun, renderEscape), and the character the list draws for each
// character of that text (drawnCharacter).
struct RenderOptions {
    bool hex = false;        // HexMode Read: every byte as two hex digits and a space
    bool unreadable = false; // bytes outside 0x20..0x7F as characters instead of codes
};

// The text a byte other than ESC shows as. BS, CR and LF show as nothing (outside hex mode).
QString renderByte(int byte, const RenderOptions& options);
// The same for a run of bytes (none of them ESC): their texts one after another, appended to
// `text` as Latin-1, the character codes of every text being 0 to 255.
void renderRun(QByteArrayView bytes, const RenderOptions& options, QByteArray& text);

// The four bytes of an escape sequence that is not a clear-screen: hex digits in hex mode,
// otherwise the four characters themselves.
QString renderEscape(const QByteArray& sequence, bool hex);

// The character the terminal list draws for a character of its text: a C0 control or DEL as
// its control picture (U+2400 on), a C1 control or a lone surrogate as the replacement
// character, every other character as itself.
QChar drawnCharacter(QChar c);
bool isControlPicture(QChar c);

// ESC [ 2 J, which clears the terminal.
bool isClearScreen(const QByteArray& sequence);
constexpr int escapeSequenceLength = 4;
