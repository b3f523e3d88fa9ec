#include "ByteRendering.h"

namespace {

QString hexByte(int byte)
{
    return QStringLiteral("%1 ").arg(byte, 2, 16, QLatin1Char('0')).toUpper();
}

QString codeInBrackets(int byte)
{
    return QLatin1Char('<') + QStringLiteral("%1").arg(byte, 2, 16, QLatin1Char('0')).toUpper() +
           QLatin1Char('>');
}

bool isPrintable(int byte) { return byte >= 0x20 && byte <= 0x7F; }

} // namespace

QString renderByte(int byte, const RenderOptions& options)
{
    byte &= 0xFF;
    if (options.hex)
        return hexByte(byte);
    switch (byte) {
    case ascii::LF:
    case ascii::CR:
    case ascii::BS: return {};
    default: break;
    }
    if (isPrintable(byte) || options.unreadable)
        return QString(QChar(byte));
    return codeInBrackets(byte);
}

QString renderEscape(const QByteArray& sequence, bool hex)
{
    QString text;
    for (const char c : sequence) {
        const int byte = static_cast<unsigned char>(c);
        text += hex ? hexByte(byte) : QString(QChar(byte));
    }
    return text;
}

bool isClearScreen(const QByteArray& sequence) { return sequence == QByteArray("\x1b[2J"); }
