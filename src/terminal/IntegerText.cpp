#include "IntegerText.h"

#include <limits>

namespace {

int digitValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

// Length of the hexadecimal prefix at `at`, 0 when there is none.
qsizetype hexPrefixLength(const QString& text, qsizetype at)
{
    if (text.mid(at, 1) == QLatin1String("$"))
        return 1;
    if (text.mid(at, 2).compare(QLatin1String("0x"), Qt::CaseInsensitive) == 0)
        return 2;
    return 0;
}

} // namespace

std::optional<int> integerFromText(const QString& text)
{
    qsizetype at = 0;
    while (at < text.size() && text[at] == QLatin1Char(' '))
        ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == QLatin1Char('-') || text[at] == QLatin1Char('+'))) {
        negative = text[at] == QLatin1Char('-');
        ++at;
    }
    const qsizetype prefix = hexPrefixLength(text, at);
    const int base = prefix > 0 ? 16 : 10;
    at += prefix;
    if (at == text.size())
        return std::nullopt;

    // Accumulated as a magnitude; the negative range is one larger than the positive.
    const qint64 limit = qint64(std::numeric_limits<int>::max()) + (negative ? 1 : 0);
    qint64 magnitude = 0;
    for (; at < text.size(); ++at) {
        const int digit = digitValue(text[at]);
        if (digit < 0 || digit >= base)
            return std::nullopt;
        magnitude = magnitude * base + digit;
        if (magnitude > limit)
            return std::nullopt;
    }
    return int(negative ? -magnitude : magnitude);
}

QString notAnIntegerMessage(const QString& text)
{
    return QStringLiteral("'%1' is not a valid integer value").arg(text);
}
