#include "SpeedMismatch.h"

QByteArray garbled(const QByteArray& bytes)
{
    QByteArray garbage = bytes;
    for (char& c : garbage)
        c = char((static_cast<unsigned char>(c) ^ 0x5A) | 0x80);
    return garbage;
}
