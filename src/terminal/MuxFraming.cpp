#include "MuxFraming.h"

namespace mux {

QByteArray frame(int link, const QByteArray& data)
{
    QByteArray bytes;
    bytes.reserve(data.size() + 5);
    bytes.append(char(start));
    bytes.append(char(link & 0xFF));
    bytes.append(char(flags));
    bytes.append(char(data.size() & 0xFF));
    bytes.append(data);
    bytes.append(char((link ^ 0xFF) & 0xFF));
    return bytes;
}

QByteArray textFrame(int link, const QString& piece)
{
    QByteArray data;
    data.reserve(piece.size());
    for (const QChar c : piece)
        data.append(char(c.unicode() & 0xFF));
    return frame(link, data);
}

std::vector<QString> framePieces(const QString& text)
{
    std::vector<QString> pieces;
    qsizetype from = 0;
    do {
        pieces.push_back(text.mid(from, maxData));
        from += maxData;
    } while (from < text.size());
    return pieces;
}

QString traceLine(int link, const QString& piece)
{
    const auto hex = [](int value) { return QString::asprintf("%.2X", unsigned(value)); };
    return QStringLiteral("TX=><0xbf><") + hex(link) + QStringLiteral("><0x00><") +
           hex(int(piece.size())) + QStringLiteral(">") + piece + QStringLiteral("<") +
           hex(link ^ 0xFF) + QStringLiteral(">");
}

} // namespace mux
