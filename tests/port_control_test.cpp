// Port control: set_com's texts, check marks and messages, and the port's upkeep.
#include "CoreFixture.h"

namespace {

using PortControlTest = CoreFixture;

struct OpenCase {
    int port;
    int baudRate, dataBits, parity, stopBits;
    const char* panel;
    PortMarks marks;
};

void PrintTo(const OpenCase& c, std::ostream* os) { *os << c.panel; }

class SetComTest : public CoreFixture, public ::testing::WithParamInterface<OpenCase> {};

TEST_P(SetComTest, ShowsThePortAndTicksItsItems)
{
    const OpenCase& c = GetParam();
    plug(1);
    plug(c.port);
    startUp();
    core->preset(&TerminalState::baudRate, c.baudRate);
    core->preset(&TerminalState::dataBits, c.dataBits);
    core->preset(&TerminalState::parity, c.parity);
    core->preset(&TerminalState::stopBits, c.stopBits);
    core->portControl().set_comx(c.port, 1);
    EXPECT_EQ(core->shown().panel(0), c.panel);
    EXPECT_EQ(core->shown().title(), QStringLiteral("Serivox ") + c.panel);
    EXPECT_EQ(core->portControl().marks(), c.marks);
    EXPECT_EQ(core->state().portNumber, c.port);
    EXPECT_EQ(core->state().lastPort, c.port);
    EXPECT_TRUE(prompts.messages.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Parameters, SetComTest,
    ::testing::Values(OpenCase{1, 115200, 8, 0, 1, "COM1 115200 8N1- Online", {1, 115200, 0, 8, 1}},
                      OpenCase{12, 9600, 7, 2, 2, "COM12 9600 7E2- Online", {12, 9600, 2, 7, 2}},
                      OpenCase{3, 9600, 7, 1, 2, "COM3 9600 7O2- Online", {3, 9600, 1, 7, 2}},
                      OpenCase{3, 300, 8, 0, 1, "COM3 0300 8N1- Online", {3, 0, 0, 8, 1}},
                      OpenCase{
                          100, 57600, 8, 0, 1, "COM100 57600 8N1- Online", {100, 57600, 0, 8, 1}}),
    [](const auto& info) {
        return "COM" + std::to_string(info.param.port) + "_" + std::to_string(info.param.baudRate);
    });

TEST_F(PortControlTest, StartsOnComOneWithTheDefaults)
{
    plug(1);
    startUp();
    EXPECT_EQ(core->shown().title(), "Serivox COM1 115200 8N1- Online");
    EXPECT_EQ(core->shown().panel(2), "    ");
    EXPECT_EQ(core->shown().panel(3), "    ");
    EXPECT_TRUE(core->io().isOpen());
}

TEST_F(PortControlTest, AMissingPortIsReportedOnceAndRetriedUntilItAppears)
{
    plug(1);
    startUp();
    core->portControl().set_comx(7, 1);
    EXPECT_EQ(prompts.messages, QStringList{"Unable to Open Port COM7"});
    EXPECT_FALSE(prompts.details.value(0).isEmpty());
    EXPECT_EQ(core->shown().panel(0), "COM7 - OffLine");
    EXPECT_EQ(core->shown().title(), "Serivox COM7 - OffLine");
    EXPECT_EQ(core->portControl().marks().port, 7);
    EXPECT_EQ(core->state().portNumber, 0);
    EXPECT_EQ(core->state().lastPort, 7);

    tick(5);
    EXPECT_EQ(core->shown().panel(0), "COM7 - OffLine");
    EXPECT_EQ(prompts.messages.size(), 1);

    plug(7);
    tick();
    EXPECT_EQ(core->shown().title(), "Serivox COM7 115200 8N1- Online");
    EXPECT_EQ(core->state().portNumber, 7);
    EXPECT_EQ(prompts.messages.size(), 1);
}

TEST_F(PortControlTest, TheReceiveLoopGoesOnWhileTheFailureMessageIsOpen)
{
    plug(1);
    startUp();
    prompts.whileShown = [this] {
        plug(7);
        tick();
    };
    core->portControl().set_comx(7, 1);
    // The box's own loop opened the port; the title shows what panel 0 holds after it.
    EXPECT_EQ(core->state().portNumber, 7);
    EXPECT_EQ(core->shown().title(), "Serivox COM7 115200 8N1- Online");
}

TEST_F(PortControlTest, OfflineParameterChangesOnlyShowUntilTheNextTick)
{
    plug(1);
    startUp();
    core->portControl().set_comx(4, 1); // not there yet
    prompts.messages.clear();
    core->portControl().selectLineParameter(&TerminalState::baudRate, 9600);
    EXPECT_EQ(core->shown().panel(0), "COM4 - OffLine");
    EXPECT_EQ(core->portControl().marks().baudRate, 9600);
    EXPECT_FALSE(core->io().isOpen());
    EXPECT_TRUE(prompts.messages.isEmpty());

    core->portControl().set_comx(0, 1);
    EXPECT_EQ(core->shown().panel(0), "COM4 - OffLine");
    EXPECT_TRUE(prompts.messages.isEmpty());

    PtyPeer& module = plug(4);
    tick();
    EXPECT_EQ(core->shown().panel(0), "COM4 9600 8N1- Online");
    module.send("x");
    EXPECT_TRUE(tickUntil([&] { return lines() == QStringList{"x"}; }));
}

TEST_F(PortControlTest, ALostPortGoesOfflineAndComesBackWhenPluggedIn)
{
    startOn(1);
    tick(3);
    unplug(1);
    EXPECT_TRUE(tickUntil([&] { return core->state().portNumber == 0; }, 51));
    EXPECT_TRUE(core->shown().panel(0).endsWith(" - OffLine"));
    EXPECT_FALSE(core->io().isOpen());
    tick(3);
    EXPECT_EQ(core->shown().panel(0), "COM1 - OffLine");
    EXPECT_TRUE(prompts.messages.isEmpty());

    plugBack(1);
    tick();
    EXPECT_EQ(core->shown().panel(0), "COM1 115200 8N1- Online");
    EXPECT_EQ(core->portControl().marks().port, 1);
    peers.at(1)->send("back\r");
    EXPECT_TRUE(tickUntil([&] { return lines().value(0) == "back"; }));
}

TEST_F(PortControlTest, ANegativePortIsOpenedWithoutClosingFirst)
{
    plug(1);
    plug(4);
    startUp();
    core->preset(&TerminalState::portNumber, -4);
    core->portControl().set_com(1);
    EXPECT_EQ(core->state().portNumber, 4);
    EXPECT_EQ(core->shown().panel(0), "COM4 115200 8N1- Online");
}

TEST_F(PortControlTest, StoredPortNumbersOutOfRangeOpenNothing)
{
    plug(1);
    startUp();
    for (int port : {101, 5000, -300}) {
        core->portControl().set_comx(port, 1);
        EXPECT_EQ(core->state().portNumber, 0) << port;
        EXPECT_EQ(core->portControl().marks().port, 0) << port;
        EXPECT_FALSE(core->io().isOpen()) << port;
    }
}

} // namespace
