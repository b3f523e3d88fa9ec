#pragma once

#include <cstdint>

// Line parameters as the terminal holds them: parity 0 none, 1 odd, 2 even, 3 mark, 4 space
// (the menus offer 0 to 2);
// stop bits 1 or 2 (any other value keeps the device's own setting).
struct LineSettings {
    int baudRate = 115200;
    int dataBits = 8;
    int parity = 0;
    int stopBits = 1;
};

// The five per-port time limits, in milliseconds. A one-byte read waits at most
// ReadTotalTimeoutConstant + ReadTotalTimeoutMultiplier, a one-byte write
// WriteTotalTimeoutConstant + WriteTotalTimeoutMultiplier.
struct CommTimeouts {
    std::uint32_t ReadIntervalTimeout = 15;
    std::uint32_t ReadTotalTimeoutMultiplier = 15;
    std::uint32_t ReadTotalTimeoutConstant = 15;
    std::uint32_t WriteTotalTimeoutMultiplier = 10;
    std::uint32_t WriteTotalTimeoutConstant = 10;

    int oneByteReadLimitMs() const;
    int oneByteWriteLimitMs() const;
    bool operator==(const CommTimeouts&) const = default;
};

inline int clampedSum(std::uint32_t a, std::uint32_t b)
{
    const std::uint64_t sum = std::uint64_t(a) + b;
    return sum > 0x7fffffffu ? 0x7fffffff : int(sum);
}
inline int CommTimeouts::oneByteReadLimitMs() const
{
    return clampedSum(ReadTotalTimeoutConstant, ReadTotalTimeoutMultiplier);
}
inline int CommTimeouts::oneByteWriteLimitMs() const
{
    return clampedSum(WriteTotalTimeoutConstant, WriteTotalTimeoutMultiplier);
}
