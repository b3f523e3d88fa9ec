// Sessions with the simulated module: the real window, offscreen, clicks its commands and
// the module in its own process answers over a pseudo-terminal.
#include "ModuleWindowFixture.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QRegularExpression inquiryCount(QStringLiteral("^INQUIRY (\\d+)$"));
const QRegularExpression
    inquiryResult(QStringLiteral("^INQUIRY ((?:[0-9a-fA-F]{2}:){5}[0-9a-fA-F]{2}) \\S+$"));

// A module command in the plain form, as it goes on the wire.
QByteArray plain(const QByteArray& command) { return "\r" + command + "\r\n"; }

// One frame of the multiplexing mode.
QByteArray frame(int link, const QByteArray& data)
{
    return QByteArray{"\xBF"} + char(link) + '\0' + char(data.size()) + data + char(link ^ 0xFF);
}

struct Frame {
    int link;
    QByteArray data;
};

// The frames in these bytes; anything between frames, or a frame whose check byte does not
// fit its link, ends the reading.
QList<Frame> framesIn(const QByteArray& bytes)
{
    QList<Frame> frames;
    qsizetype at = 0;
    while (at + 5 <= bytes.size() && uchar(bytes[at]) == 0xBF) {
        const int link = uchar(bytes[at + 1]);
        const int length = uchar(bytes[at + 3]);
        if (at + 5 + length > bytes.size() || uchar(bytes[at + 4 + length]) != (link ^ 0xFF))
            break;
        frames.append({link, bytes.mid(at + 4, length)});
        at += 5 + length;
    }
    return frames;
}

class ModuleSessionTest : public ModuleWindowFixture {
protected:
    void SetUp() override
    {
        ModuleWindowFixture::SetUp();
        if (HasFatalFailure())
            return;
        showWindow();
        showAllToolBars();
        ASSERT_EQ(window->windowTitle(), "Serivox COM1 115200 8N1- Online");
        // The module greets at power on; the window shows the greeting as it came.
        ASSERT_TRUE(waitUntilShowingAllSent());
    }
    void TearDown() override
    {
        EXPECT_TRUE(prompts.messages.isEmpty()) << prompts.messages.join('|').toStdString();
        ModuleWindowFixture::TearDown();
    }

    QString sentText() const { return QString::fromLatin1(module->sent()); }

    // The addresses of the inquiry's results, once the module has reported them all.
    QStringList inquiryResults() const
    {
        int expected = -1;
        QStringList addresses;
        for (const QString& line : sentText().split(QRegularExpression("[\r\n]+"))) {
            if (const auto count = inquiryCount.match(line); count.hasMatch())
                expected = count.captured(1).toInt();
            else if (const auto result = inquiryResult.match(line); result.hasMatch())
                addresses.append(result.captured(1));
        }
        if (expected < 0 || addresses.size() < expected)
            return {};
        return addresses;
    }

    // Runs an inquiry from the main tool bar until the window shows all its results.
    QStringList inquire()
    {
        click("ToolButton5");
        EXPECT_TRUE(waitForReceived(plain("INQUIRY 5 NAME")));
        QStringList found;
        EXPECT_TRUE(eventually([&] { return !(found = inquiryResults()).isEmpty(); }))
            << sentText().toStdString();
        EXPECT_TRUE(waitUntilShowingAllSent());
        return found;
    }

    QComboBox* macBox() const { return control<QComboBox>("ComboBox1"); }

    // Calls the device in the MAC box over SPP and waits until the link is up.
    void callSpp()
    {
        click("CALL");
        EXPECT_TRUE(waitForLineStarting("CONNECT 0 RFCOMM 1")) << sentText().toStdString();
    }

    void typeIntoTerminal(const QString& text)
    {
        QTest::keyClicks(control<QWidget>("ListBox1"), text);
    }
};

TEST_F(ModuleSessionTest, AnInquiryFillsTheMacBoxAndCallSppUsesThatAddress)
{
    const QStringList found = inquire();
    ASSERT_FALSE(found.isEmpty());

    QStringList offered;
    for (int i = 0; i < macBox()->count(); ++i)
        offered.append(macBox()->itemText(i));
    EXPECT_EQ(QSet(offered.begin(), offered.end()), QSet(found.begin(), found.end()));
    EXPECT_EQ(offered.size(), QSet(found.begin(), found.end()).size()) << "each address once";
    ASSERT_FALSE(offered.isEmpty()) << "the MAC box offers no address";
    EXPECT_EQ(macBox()->currentText(), offered.last());

    const qsizetype before = module->received().size();
    callSpp();
    EXPECT_TRUE(waitForReceived(
        plain("CALL " + macBox()->currentText().toLatin1() + " 1101 RFCOMM"), before));
    EXPECT_TRUE(waitForLineStarting("CALL 0"));
    EXPECT_TRUE(waitUntilShowingAllSent());
}

TEST_F(ModuleSessionTest, PlusPlusPlusLeavesTheDataModeForTheCommandMode)
{
    ASSERT_FALSE(inquire().isEmpty());
    callSpp();

    // In data mode the module echoes what it receives.
    typeIntoTerminal("hello\r");
    EXPECT_TRUE(waitForLineStarting("hello"));

    click("COMMAND");
    EXPECT_TRUE(waitForReceived("hello\r+++"));

    // Back in command mode: SET lists the settings instead of coming back as an echo.
    click("ToolButton1");
    EXPECT_TRUE(waitForLineStarting("SET BT NAME")) << sentText().toStdString();
    EXPECT_TRUE(waitUntilShowingAllSent());
}

TEST_F(ModuleSessionTest, SppOnThenSetShowsTheProfileInTheSettings)
{
    const auto settingsAfter = [this](const char* profileButton) {
        click(profileButton);
        clearTerminal();
        click("ToolButton1");
        EXPECT_TRUE(waitForLineStarting("SET BT NAME"));
        EXPECT_TRUE(eventually([&] { return shownLines().contains("SET"); }))
            << "the listing ends in SET";
        return shownLines();
    };

    const QStringList on = settingsAfter("Button8");
    EXPECT_TRUE(on.filter(QRegularExpression("^SET PROFILE SPP \\S")).size() == 1)
        << on.join('|').toStdString();

    const QStringList off = settingsAfter("SPPOFF");
    EXPECT_TRUE(off.filter(QRegularExpression("^SET PROFILE SPP")).isEmpty())
        << off.join('|').toStdString();
}

TEST_F(ModuleSessionTest, InMultiplexingModeSetGoesAsAFrameAndTheFramedReplyShowsAsCodes)
{
    click("MUX1");
    ASSERT_TRUE(control<QCheckBox>("MUX1")->isChecked());
    EXPECT_TRUE(waitForReceived("SET CONTROL MUX 1\r"));
    EXPECT_TRUE(waitUntilShowingAllSent());
    const qsizetype repliesFrom = module->sent().size();

    click("ToolButton1");
    EXPECT_TRUE(waitForReceived(frame(255, "SET")));

    // The reply: frames on the control link, which the window shows byte by byte.
    QList<Frame> replies;
    EXPECT_TRUE(eventually([&] {
        replies = framesIn(module->sent().mid(repliesFrom));
        return !replies.isEmpty() && replies.last().data.startsWith("SET\r");
    })) << hexOf(module->sent().mid(repliesFrom));
    for (const Frame& reply : replies)
        EXPECT_EQ(reply.link, 255);
    EXPECT_TRUE(waitUntilShowingAllSent());
    EXPECT_TRUE(waitForLineStarting("<BF><FF><00>"));

    // Leaving the mode: the module answers plainly again.
    click("MUX1");
    EXPECT_TRUE(waitForReceived(frame(255, "SET CONTROL MUX 0")));
    const qsizetype plainFrom = module->sent().size();
    click("ToolButton1");
    EXPECT_TRUE(eventually([&] { return module->sent().mid(plainFrom).startsWith("SET BT"); }))
        << hexOf(module->sent().mid(plainFrom));
}

// The module goes away (its process ends, its line hangs up, its link is removed) and a new
// one comes up as COM1 on another pseudo-terminal: the window takes the new line by itself.
TEST_F(ModuleSessionTest, AModuleThatComesBackIsTakenWithoutAClick)
{
    ASSERT_TRUE(waitUntilShowingAllSent());
    click("Clear2");
    module.reset();
    EXPECT_TRUE(eventually([&] { return window->windowTitle().endsWith("OffLine"); }))
        << window->windowTitle().toStdString();

    startModule();
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_TRUE(eventually([&] {
        return window->windowTitle() == "Serivox COM1 115200 8N1- Online";
    })) << window->windowTitle().toStdString();
    EXPECT_TRUE(waitUntilShowingAllSent()); // the new module's greeting
    click("ToolButton1");
    EXPECT_TRUE(waitForLineStarting("SET BT NAME"));
}

struct BaudCase {
    const char* item;  // on the Commands menu
    const char* baud;  // the module's setting, as the command gives it
    const char* title; // the window's title afterwards
};

void PrintTo(const BaudCase& c, std::ostream* out) { *out << c.item; }

class BaudCommandSessionTest : public ModuleSessionTest,
                               public ::testing::WithParamInterface<BaudCase> {};

// The module switches its UART as told; the window retunes its port and asks for the
// settings at the new rate, and the module answers there. (The module garbles whatever
// crosses the line while the two rates differ.)
TEST_P(BaudCommandSessionTest, TheModuleAnswersAtTheNewRate)
{
    const BaudCase& c = GetParam();
    click(c.item);
    EXPECT_EQ(window->windowTitle(), QString("Serivox COM1 ") + c.title);
    const QByteArray command = QByteArray("SET CONTROL BAUD ") + c.baud;
    EXPECT_TRUE(waitForReceived(plain(command) + "\r" + plain("SET")));
    EXPECT_TRUE(waitForLineStarting(command)) << sentText().toStdString();
    EXPECT_TRUE(waitUntilShowingAllSent());
}

INSTANTIATE_TEST_SUITE_P(Commands, BaudCommandSessionTest,
                         ::testing::Values(BaudCase{"Set9600", "9600,8n1", "9600 8N1- Online"},
                                           BaudCase{"SET_38400_8E1", "38400,8e1",
                                                    "38400 8E1- Online"}),
                         [](const auto& info) { return std::string(info.param.item); });

// Log on for a whole session: the capture file holds a record of every byte the module sent
// and of every line it ended, nothing lost, doubled or reordered.
class SessionCaptureTest : public ModuleSessionTest, public ::testing::WithParamInterface<bool> {
protected:
    QByteArray captured() const
    {
        QFile file(capturePath);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir folder;
    const QString capturePath = QDir(folder.path()).filePath("session.csv");
};

TEST_P(SessionCaptureTest, TheCaptureHoldsExactlyWhatTheModuleSent)
{
    const bool hexMode = GetParam();
    const QString path = capturePath;
    prompts.logFileDialog = [path](const QString&, const QString&) {
        return UserPrompts::LogFileAnswer{true, path, QFileInfo(path).absolutePath()};
    };
    clearTerminal(); // of the greeting, shown as text
    if (hexMode)
        click("HexMode");
    showingHex = hexMode;
    click("Log1");
    ASSERT_TRUE(action("Log1")->isChecked());
    const qsizetype sessionFrom = module->sent().size();

    click("ToolButton2"); // RESET: the boot banner
    ASSERT_TRUE(eventually([&] { return module->sent().contains("READY."); }));
    click("ToolButton1");
    const QStringList found = inquire();
    ASSERT_FALSE(found.isEmpty());
    typeMac(found.last()); // results shown in hex give the MAC box no address
    click("CALL");
    ASSERT_TRUE(eventually([&] { return module->sent().contains("CONNECT 0 RFCOMM 1"); }));
    // Data with a control code and a character beyond ASCII, echoed back.
    QWidget* terminal = control<QWidget>("ListBox1");
    QTest::keyClicks(terminal, "data ");
    QTest::keyClick(terminal, Qt::Key_A, Qt::ControlModifier);
    QKeyEvent eAcute(QEvent::KeyPress, Qt::Key_Eacute, Qt::NoModifier, QString(QChar(0xE9)));
    QApplication::sendEvent(terminal, &eAcute);
    QTest::keyClick(terminal, Qt::Key_Return);
    ASSERT_TRUE(waitForReceived("data \x01\xE9\r"));
    click("COMMAND");
    click("MUX1");
    click("ToolButton1");
    ASSERT_TRUE(eventually([&] { return module->sent().contains(frame(255, "SET\r\n")); }));
    click("MUX1");
    ASSERT_TRUE(waitForReceived(frame(255, "SET CONTROL MUX 0")));

    EXPECT_TRUE(eventually([&] {
        return captured() == captureFor(module->sent().mid(sessionFrom), hexMode);
    })) << "capture:\n"
        << captured().toStdString() << "\nexpected:\n"
        << captureFor(module->sent().mid(sessionFrom), hexMode).toStdString();
    EXPECT_TRUE(waitUntilShowingAllSent());
}

INSTANTIATE_TEST_SUITE_P(Display, SessionCaptureTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "hex" : "text"; });

} // namespace
