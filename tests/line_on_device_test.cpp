// The line settings the device really has after the commands that change them, read from
// the pseudo-terminal itself rather than from what was asked of the port. A pseudo-terminal
// keeps the speed, CSTOPB and PARODD; it forces 8 data bits and clears PARENB itself.
#include "WindowFixture.h"

#include <termios.h>

namespace {

class LineOnDeviceTest : public WindowFixture {};

TEST_F(LineOnDeviceTest, BaudCommandsAndParameterChoicesReachTheDevice)
{
    PtyPeer& module = plug(1);
    showWindow();
    enum Parity { notLookedAt = -1, even = 0, odd = 1 };
    struct Step {
        const char* click;
        speed_t speed;
        bool twoStopBits;
        int parodd; // PARODD tells odd from even; with no parity it is not looked at
    };
    for (const Step& step :
         {Step{"SET_38400_8E1", B38400, false, even}, Step{"N2stopbits1", B38400, true, even},
          Step{"oddparity1", B38400, true, odd}, Step{"B9600", B9600, true, odd},
          Step{"N1stopbit1", B9600, false, odd}, Step{"SET57600", B57600, false, notLookedAt}}) {
        click(step.click);
        ASSERT_TRUE(core().io().isOpen()) << step.click;
        const termios line = module.line();
        EXPECT_EQ(cfgetospeed(&line), step.speed) << step.click;
        EXPECT_EQ(cfgetispeed(&line), step.speed) << step.click;
        EXPECT_EQ(bool(line.c_cflag & CSTOPB), step.twoStopBits) << step.click;
        if (step.parodd != notLookedAt) {
            EXPECT_EQ(bool(line.c_cflag & PARODD), step.parodd == odd) << step.click;
        }
    }
}

} // namespace
