#pragma once

#include <QString>
#include <cstdint>
#include <optional>

// Reads a typed number the way the platform's integer conversion does: leading blanks,
// an optional sign, then decimal digits, or hexadecimal digits after "$" or "0x".
// Nothing may follow the digits. A value outside the 32-bit range is refused rather than
// wrapped, so a long string of digits never turns into some other link number.
std::optional<int> integerFromText(const QString& text);

// The same reading for a 32-bit field that holds an unsigned value: a negative number
// stands for its 32-bit pattern (-1 is 4294967295), and the unsigned values up to
// 4294967295 are taken as they are, so a value shown in such a field reads back unchanged.
std::optional<std::uint32_t> bitPatternFromText(const QString& text);

// The platform's message for a text that is not a number.
QString notAnIntegerMessage(const QString& text);
