// The window's first showing: the port opens once the window is on the screen.
#include "WindowFixture.h"

#include <QWindow>

namespace {

class StartUpTest : public WindowFixture {};

// A port that fails at start is reported in front of the window, not before it appears.
TEST_F(StartUpTest, TheMessageAboutAFailedPortComesWithTheWindowShown)
{
    profile.link(1, profile.configHome() + "/ttyUSB0");
    bool windowShown = false;
    prompts.whileShown = [&] {
        windowShown =
            window->isVisible() && window->windowHandle() && window->windowHandle()->isVisible();
    };
    showWindow();
    ASSERT_EQ(prompts.messages, QStringList{"Unable to Open Port COM1"});
    EXPECT_TRUE(windowShown);
    EXPECT_EQ(window->windowTitle(), "Serivox COM1 - OffLine");
}

} // namespace
