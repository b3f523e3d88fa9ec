#pragma once

// The control bytes the terminal and the module act on.
namespace ascii {
constexpr int BS = 0x08;
constexpr int LF = 0x0A;
constexpr int CR = 0x0D;
constexpr int ESC = 0x1B;
constexpr int SUB = 0x1A; // the end of a text file
} // namespace ascii
