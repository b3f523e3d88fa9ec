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

// The number in `text` when it lies within [least, most].
std::optional<qint64> numberFromText(const QString& text, qint64 least, qint64 most)
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

    // Accumulated as a magnitude, refused as soon as it leaves the range.
    const qint64 limit = negative ? -least : most;
    qint64 magnitude = 0;
    for (; at < text.size(); ++at) {
        const int digit = digitValue(text[at]);
        if (digit < 0 || digit >= base)
            return std::nullopt;
        magnitude = magnitude * base + digit;
        if (magnitude > limit)
            return std::nullopt;
    }
    return negative ? -magnitude : magnitude;
}

} // namespace

std::optional<int> integerFromText(const QString& text)
{
    const auto number =
        numberFromText(text, std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
    return number ? std::optional<int>(int(*number)) : std::nullopt;
}

std::optional<std::uint32_t> bitPatternFromText(const QString& text)
{
    const auto number = numberFromText(text, std::numeric_limits<std::int32_t>::min(),
                                       std::numeric_limits<std::uint32_t>::max());
    return number ? std::optional<std::uint32_t>(std::uint32_t(*number)) : std::nullopt;
}

QString notAnIntegerMessage(const QString& text)
{
    return QStringLiteral("'%1' is not a valid integer value").arg(text);
}
