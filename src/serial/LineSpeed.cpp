#include "LineSpeed.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

bool setAnyLineSpeed(int descriptor, int bitsPerSecond)
{
    termios2 line;
    if (::ioctl(descriptor, TCGETS2, &line) != 0)
        return false;
    // BOTHER: the rate is the number in c_ispeed and c_ospeed, not a code in c_cflag.
    line.c_cflag &= ~tcflag_t(CBAUD | (CBAUD << IBSHIFT));
    line.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
    line.c_ispeed = speed_t(bitsPerSecond);
    line.c_ospeed = speed_t(bitsPerSecond);
    return ::ioctl(descriptor, TCSETS2, &line) == 0;
}

int lineSpeed(int descriptor)
{
    termios2 line;
    if (::ioctl(descriptor, TCGETS2, &line) != 0)
        return -1;
    return int(line.c_ospeed);
}
