// The HID test routine of the Commands menu: 51 numbered lines, each as the current send
// form makes it.
#include "WindowFixture.h"
#include "WireForms.h"

namespace {

QByteArray testLine(int n) { return QByteArray::number(n) + ". 123,456,789"; }

using HidTestRoutineTest = WindowFixture;

TEST_F(HidTestRoutineTest, SendsLinesZeroToFiftyInThePlainForm)
{
    PtyPeer& module = plug(1);
    showWindow();
    QByteArray expected;
    for (int n = 0; n <= 50; ++n)
        expected += plain(testLine(n));

    click("HIDTest");

    EXPECT_EQ(hexOf(module.readExactly(expected.size())), hexOf(expected));
    EXPECT_EQ(hexOf(module.read(30)), "");
}

TEST_F(HidTestRoutineTest, SendsFiftyOneFramesOnTheCurrentLink)
{
    PtyPeer& module = plug(1);
    showWindow();
    core().preset(&TerminalState::MUX1, true);
    core().preset(&TerminalState::muxLink, 1);

    click("HIDTest");

    const QByteArray wire = module.readExactly(51 * 5 + 10 * 14 + 41 * 15);
    EXPECT_EQ(hexOf(module.read(30)), "");
    EXPECT_EQ(hexOf(wire.left(19)), hexOf(QByteArray::fromHex("BF01000E") + "0. 123,456,789" +
                                          QByteArray::fromHex("FE")));
    qsizetype at = 0;
    for (int n = 0; n <= 50; ++n) {
        const QByteArray line = testLine(n);
        ASSERT_EQ(hexOf(wire.mid(at, 4)), hexOf(QByteArray::fromHex("BF0100") + char(line.size())))
            << "line " << n;
        EXPECT_EQ(wire.mid(at + 4, line.size()), line);
        EXPECT_EQ(hexOf(wire.mid(at + 4 + line.size(), 1)), "FE");
        at += line.size() + 5;
    }
    // Lines 0 to 9 make frames of 19 bytes; line 10 is the first of length 0F.
    EXPECT_EQ(static_cast<unsigned char>(wire.at(10 * 19 + 3)), 0x0F);
}

} // namespace
