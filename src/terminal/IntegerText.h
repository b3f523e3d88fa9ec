#pragma once

#include <QString>
#include <optional>

// Reads a typed number the way the platform's integer conversion does: leading blanks,
// an optional sign, then decimal digits, or hexadecimal digits after "$" or "0x".
// Nothing may follow the digits. A value outside the 32-bit range is refused rather than
// wrapped, so a long string of digits never turns into some other link number.
std::optional<int> integerFromText(const QString& text);

// The platform's message for a text that is not a number.
QString notAnIntegerMessage(const QString& text);
