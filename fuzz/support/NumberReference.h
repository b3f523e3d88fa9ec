#pragma once

#include <QString>
#include <optional>

// A typed number read the plain way, by pattern: blanks, a sign, then decimal digits, or
// hexadecimal digits after "$" or "0x". Nothing else is a number. The magnitude saturates
// far above the 32-bit range, which is all the ranges that read numbers need.
std::optional<qint64> referenceNumber(const QString& text);
