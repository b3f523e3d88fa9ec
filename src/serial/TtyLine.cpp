#include "TtyLine.h"

#include <array>
#include <utility>

namespace {

constexpr std::array<std::pair<int, speed_t>, 30> standardSpeeds{{
    {50, B50},           {75, B75},           {110, B110},         {134, B134},
    {150, B150},         {200, B200},         {300, B300},         {600, B600},
    {1200, B1200},       {1800, B1800},       {2400, B2400},       {4800, B4800},
    {9600, B9600},       {19200, B19200},     {38400, B38400},     {57600, B57600},
    {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
    {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000},
    {1500000, B1500000}, {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000},
    {3500000, B3500000}, {4000000, B4000000},
}};

constexpr std::array<tcflag_t, 4> characterSizes{CS5, CS6, CS7, CS8}; // 5 to 8 data bits

// PARENB, PARODD and CMSPAR for parity 0 none, 1 odd, 2 even, 3 mark, 4 space.
constexpr std::array<tcflag_t, 5> parityFlags{0, PARENB | PARODD, PARENB, PARENB | CMSPAR | PARODD,
                                              PARENB | CMSPAR};

constexpr tcflag_t softwareFlow = IXON | IXOFF | IXANY;

} // namespace

speed_t standardSpeed(int bitsPerSecond)
{
    for (const auto& [rate, name] : standardSpeeds)
        if (rate == bitsPerSecond)
            return name;
    return B0;
}

termios lineTermios(const termios& own, const LineSettings& s)
{
    termios line = own;
    ::cfmakeraw(&line);
    line.c_cflag |= CLOCAL | CREAD; // no modem control lines needed to read
    line.c_cc[VMIN] = 0;
    line.c_cc[VTIME] = 0;

    // Flow control stays the device's own.
    line.c_cflag = (line.c_cflag & ~tcflag_t(CRTSCTS)) | (own.c_cflag & CRTSCTS);
    line.c_iflag = (line.c_iflag & ~softwareFlow) | (own.c_iflag & softwareFlow);

    line.c_cflag = (line.c_cflag & ~tcflag_t(CSIZE)) | characterSizes[std::size_t(s.dataBits - 5)];
    // A byte with a parity error is taken as it came, never marked or dropped.
    line.c_iflag &= ~tcflag_t(INPCK | PARMRK);
    line.c_iflag |= IGNPAR;
    line.c_cflag =
        (line.c_cflag & ~tcflag_t(PARENB | PARODD | CMSPAR)) | parityFlags[std::size_t(s.parity)];

    if (s.stopBits == 1)
        line.c_cflag &= ~tcflag_t(CSTOPB);
    else if (s.stopBits == 2)
        line.c_cflag |= CSTOPB;

    if (const speed_t speed = standardSpeed(s.baudRate); speed != B0) {
        ::cfsetispeed(&line, speed);
        ::cfsetospeed(&line, speed);
    }
    return line;
}
