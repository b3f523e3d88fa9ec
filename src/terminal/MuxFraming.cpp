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

std::vector<QByteArray> frames(int link, const QString& text)
{
    std::vector<QByteArray> result;
    qsizetype from = 0;
    do {
        QByteArray data;
        const qsizetype to = std::min<qsizetype>(text.size(), from + maxData);
        data.reserve(to - from);
        for (qsizetype i = from; i < to; ++i)
            data.append(char(text[i].unicode() & 0xFF));
        result.push_back(frame(link, data));
        from = to;
    } while (from < text.size());
    return result;
}

QString traceLine(int link, const QString& text)
{
    const auto hex = [](int value) { return QString::asprintf("%.2X", unsigned(value)); };
    return QStringLiteral("TX=><0xbf><") + hex(link) + QStringLiteral("><0x00><") +
           hex(int(text.size())) + QStringLiteral(">") + text + QStringLiteral("<") +
           hex(link ^ 0xFF) + QStringLiteral(">");
}

} // namespace mux
