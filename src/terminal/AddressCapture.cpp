#include "AddressCapture.h"

#include <QRegularExpression>
#include <algorithm>

std::optional<QString> inquiryAddress(const QString& line)
{
    if (!line.contains(QStringLiteral("INQUIRY")))
        return std::nullopt;
    const qsizetype colon = line.indexOf(QLatin1Char(':'));
    if (colon < 0)
        return std::nullopt;
    constexpr qsizetype addressLength = 17; // 00:07:80:12:34:56
    return line.mid(std::max<qsizetype>(0, colon - 2), addressLength);
}

bool isMacAddress(const QString& text)
{
    static const QRegularExpression address(
        QRegularExpression::anchoredPattern(QStringLiteral("[0-9A-Fa-f]{2}(:[0-9A-Fa-f]{2}){5}")));
    return address.match(text).hasMatch();
}
