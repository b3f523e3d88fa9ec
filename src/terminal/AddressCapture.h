#pragma once

#include <QString>
#include <optional>

// The Bluetooth address in a finished line that answers an inquiry: a line holding both
// "INQUIRY" and ":" gives the 17 characters that start two before its first ":".
std::optional<QString> inquiryAddress(const QString& line);

// Whether the text is an address of the form the MAC box holds: six two-digit hexadecimal
// numbers separated by ":" (00:07:80:12:34:56), and nothing else.
bool isMacAddress(const QString& text);
