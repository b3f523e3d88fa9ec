#pragma once

#include <QString>
#include <optional>

// The Bluetooth address in a finished line that answers an inquiry: a line holding both
// "INQUIRY" and ":" gives the 17 characters that start two before its first ":".
std::optional<QString> inquiryAddress(const QString& line);
