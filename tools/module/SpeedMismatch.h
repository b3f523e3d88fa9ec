#pragma once

#include <QByteArray>

// What a UART makes of bytes sent at another speed: garbage. Every byte comes out with its
// top bit set, so garbage never forms a command, as with a real mismatch it seldom does.
QByteArray garbled(const QByteArray& bytes);
