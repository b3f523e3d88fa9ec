#pragma once

#include "LineSettings.h"

#include <termios.h>

// The line settings a local serial device runs with, made from what it has now: raw bytes in
// both directions (no echo, no line editing, no translation, reads that never wait), the baud
// rate, data bits and parity asked for, the stop bits when they are 1 or 2, and everything
// else as the device has it: its flow control and any other stop-bit value.
//
// Supported means: data bits 5 to 8, parity 0 to 4 (none, odd, even, mark, space) and a rate
// above 0. A rate without a name in termios (250000, 31250 ...) is left out of the termios made
// here and set afterwards with setAnyLineSpeed (LineSpeed.h).
termios lineTermios(const termios& own, const LineSettings& settings);

// The termios name of a standard rate (B9600 for 9600), or B0 when it has none.
speed_t standardSpeed(int bitsPerSecond);
