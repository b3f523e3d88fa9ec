#include "NumberReference.h"

#include <QRegularExpression>
#include <algorithm>

std::optional<qint64> referenceNumber(const QString& text)
{
    static const QRegularExpression form(
        QStringLiteral("\\A *([+-]?)(?:(?:\\$|0[xX])([0-9A-Fa-f]+)|([0-9]+))\\z"));
    const QRegularExpressionMatch match = form.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const bool hex = match.capturedLength(2) > 0;
    const QString digits = hex ? match.captured(2) : match.captured(3);
    qint64 magnitude = 0;
    for (const QChar digit : digits) {
        magnitude = magnitude * (hex ? 16 : 10) + QString(digit).toInt(nullptr, 16);
        magnitude = std::min<qint64>(magnitude, qint64(1) << 40);
    }
    return match.captured(1) == QLatin1String("-") ? -magnitude : magnitude;
}
