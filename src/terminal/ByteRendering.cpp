#include "ByteRendering.h"

namespace {

constexpr char hexDigits[] = "0123456789ABCDEF";

char* hexDigitsOf(unsigned char byte, char* out)
{
    *out++ = hexDigits[byte >> 4];
    *out++ = hexDigits[byte & 0x0F];
    return out;
}

bool isPrintable(unsigned char byte) { return byte >= 0x20 && byte <= 0x7F; }

// Writes the text of one byte other than ESC, at most maxTextPerByte characters.
char* renderInto(unsigned char byte, const RenderOptions& options, char* out)
{
    if (options.hex) {
        out = hexDigitsOf(byte, out);
        *out++ = ' ';
        return out;
    }
    switch (byte) {
    case ascii::LF:
    case ascii::CR:
    case ascii::BS: return out;
    default: break;
    }
    if (isPrintable(byte) || options.unreadable) {
        *out++ = char(byte);
        return out;
    }
    *out++ = '<';
    out = hexDigitsOf(byte, out);
    *out++ = '>';
    return out;
}

constexpr qsizetype maxTextPerByte = 4; // "<BF>"

} // namespace

void renderRun(QByteArrayView bytes, const RenderOptions& options, QByteArray& text)
{
    const qsizetype start = text.size();
    text.resize(start + bytes.size() * maxTextPerByte);
    char* const begin = text.data();
    char* out = begin + start;
    for (const char c : bytes)
        out = renderInto(static_cast<unsigned char>(c), options, out);
    text.truncate(out - begin);
}

QString renderByte(int byte, const RenderOptions& options)
{
    char text[maxTextPerByte];
    const char* end = renderInto(static_cast<unsigned char>(byte & 0xFF), options, text);
    return QString::fromLatin1(text, end - text);
}

QString renderEscape(const QByteArray& sequence, bool hex)
{
    QString text;
    for (const char c : sequence) {
        const auto byte = static_cast<unsigned char>(c);
        if (hex) {
            char digits[3] = {};
            hexDigitsOf(byte, digits);
            text += QLatin1StringView(digits, 2) + QLatin1Char(' ');
        } else {
            text += QChar(byte);
        }
    }
    return text;
}

bool isClearScreen(const QByteArray& sequence) { return sequence == QByteArray("\x1b[2J"); }

namespace {
constexpr char16_t controlPictures = 0x2400; // U+2400 + code shows a C0 control
constexpr char16_t deletePicture = 0x2421;
} // namespace

QChar drawnCharacter(QChar c)
{
    const char16_t code = c.unicode();
    if (code < 0x20)
        return QChar(char16_t(controlPictures + code));
    if (code == 0x7F)
        return QChar(deletePicture);
    if ((code >= 0x80 && code < 0xA0) || c.isSurrogate())
        return QChar(QChar::ReplacementCharacter);
    return c;
}

bool isControlPicture(QChar c)
{
    return c.unicode() >= controlPictures && c.unicode() <= deletePicture;
}
