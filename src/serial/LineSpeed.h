#pragma once

// The line's speed in bits per second, any rate the device takes: not only the standard rates
// that termios names (9600, 115200 ...) but also 250000 or 1000000. This goes through the
// kernel's second termios interface, whose header defines a termios of its own; so it lives in
// a file that does not include <termios.h>, and this header includes neither.

// Sets both directions to `bitsPerSecond`; false (errno set) when the device refuses it.
bool setAnyLineSpeed(int descriptor, int bitsPerSecond);
// The output speed the device has now, or -1 (errno set) when it cannot be read.
int lineSpeed(int descriptor);
