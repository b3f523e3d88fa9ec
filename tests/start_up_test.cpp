// Start-up and exit through the real window: the settings file of this version is read
// when the window first shows and written when it closes.
#include "QtPrinters.h"
#include "SettingsStore.h"
#include "StatusBar.h"
#include "WindowFixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QWindow>

namespace {

const QString thisVersion = QStringLiteral("1.10");
const char* const optionItems[] = {"Echo1",           "HexMode",        "HexModeWrite1",
                                   "Unreadable1",     "OrvinTerminal",  "CopyToSend1",
                                   "AddLinefeedton1", "iWrapCommands1", "Log1",
                                   "Timestamp1",      "DateStamp1"};
const char* const toolBarItems[] = {"SPP1", "BGIO1", "HID1", "GainSpan1"};
const char* const baudItems[] = {"B1200",  "B2400",  "B4800",  "B9600",
                                 "B19200", "B38400", "B57600", "B115200"};

class StartUpTest : public WindowFixture {
protected:
    // A new run of the program in the same profile, as version `version`.
    void restart(FileVersion version = compiledVersion())
    {
        window.reset();
        TerminalPlatform platform = profile.platform(clock);
        platform.version = version;
        window = std::make_unique<TMain>(std::move(platform), &prompts);
    }
    QString panel(int i) const { return window->statusPanels()->panelText(i); }
    bool ticked(const char* item) const { return action(item)->isChecked(); }
    QStringList tickedItems(auto&& names) const
    {
        QStringList on;
        for (const char* name : names)
            if (ticked(name))
                on.append(QString::fromLatin1(name));
        return on;
    }
    bool toolBarShown(const char* name) const { return control<QToolBar>(name)->isVisible(); }
    QString savedValue(const char* name) const
    {
        return QSettings(profile.settingsFile(thisVersion), QSettings::IniFormat)
            .value(QString::fromLatin1(name))
            .toString();
    }
    QString sendBoxText() const { return control<QLineEdit>("ESend")->text(); }
    QString macBoxText() const { return control<QComboBox>("ComboBox1")->currentText(); }
    LineSettings lastOpen() const
    {
        return clock.opens().empty() ? LineSettings{} : clock.opens().back().settings;
    }
};

bool sameSettings(const LineSettings& a, const LineSettings& b)
{
    return a.baudRate == b.baudRate && a.dataBits == b.dataBits && a.parity == b.parity &&
           a.stopBits == b.stopBits;
}

TEST_F(StartUpTest, FirstRunStartsOnComOneWithEveryOptionOff)
{
    PtyPeer& module = plug(1);
    showWindow();
    EXPECT_EQ(window->windowTitle(), "Serivox COM1 115200 8N1- Online");
    EXPECT_TRUE(sameSettings(lastOpen(), {115200, 8, 0, 1}));
    EXPECT_TRUE(prompts.messages.isEmpty());
    EXPECT_EQ(tickedItems(optionItems), QStringList{});
    EXPECT_EQ(tickedItems(toolBarItems), QStringList{});
    EXPECT_TRUE(toolBarShown("ToolBar1"));
    for (const char* bar : {"ToolBar2", "ToolBar3", "ToolBar4", "GainSpanToolBar"})
        EXPECT_FALSE(toolBarShown(bar)) << bar;
    EXPECT_FALSE(control<QCheckBox>("MUX1")->isChecked());
    EXPECT_FALSE(core().state().Log1);
    EXPECT_TRUE(prompts.logDialogs.isEmpty());
    EXPECT_FALSE(core().state().Timestamp1);
    EXPECT_FALSE(core().state().DateStamp1);
    EXPECT_EQ(core().state().muxLink, -1);
    EXPECT_EQ(core().state().versionText, thisVersion);
    EXPECT_EQ(core().state().startDirectory, QDir::currentPath());
    EXPECT_EQ(panel(2), "    ");
    EXPECT_EQ(panel(3), "    ");
    EXPECT_EQ(panel(5), "F1=Help");
    EXPECT_EQ(macBoxText(), "Unknown MAC     ");
    EXPECT_EQ(sendBoxText(), "");
    // Nothing went to the module while the options were set up.
    EXPECT_EQ(hexOf(module.read(100)), "");
    // Settings are written at exit, not before.
    EXPECT_FALSE(QFile::exists(profile.settingsFile(thisVersion)));
}

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

TEST_F(StartUpTest, SavedPortAndOptionsAreAllTakenUp)
{
    plug(1);
    PtyPeer& module = plug(7);
    profile.writeSettings(thisVersion, "[General]\n"
                                       "Left=20\nTop=30\nWidth=700\nHeight=500\n"
                                       "Com Port=7\nBaud Rate=9600\nData bits=7\nParity=2\n"
                                       "Stopbits=2\nMAC Address=00:07:80:12:34:56\n"
                                       "SPP ToolBar=1\nBGIO ToolBar=0\nHID ToolBar=1\n"
                                       "GainSpan ToolBar=1\nEcho=1\nHex Mode=1\n"
                                       "Hex Mode Write=1\nLog Mode=0\nUnreadable Mode=1\n"
                                       "Multiplex Mode=0\nSend Data=SET BT NAME tester\n"
                                       "OrvinTerminal=1\nTimeStamp=1\nDateStamp=1\n"
                                       "Copy To Send=1\nLog Directory=/tmp/captures\n");
    showWindow();
    EXPECT_TRUE(prompts.messages.isEmpty()) << prompts.messages.join('|').toStdString();
    EXPECT_EQ(window->windowTitle(), "Serivox COM7 9600 7E2- Online");
    EXPECT_TRUE(core().io().isOpen());
    EXPECT_TRUE(sameSettings(lastOpen(), {9600, 7, 2, 2}));
    EXPECT_TRUE(ticked("COM7"));
    EXPECT_TRUE(ticked("B9600"));
    EXPECT_TRUE(ticked("EvenParity1"));
    EXPECT_TRUE(ticked("N7DataBits1"));
    EXPECT_TRUE(ticked("N2stopbits1"));

    EXPECT_EQ(tickedItems(optionItems),
              (QStringList{"Echo1", "HexMode", "HexModeWrite1", "Unreadable1", "OrvinTerminal",
                           "CopyToSend1", "Timestamp1", "DateStamp1"}));
    EXPECT_EQ(tickedItems(toolBarItems), (QStringList{"SPP1", "HID1", "GainSpan1"}));
    EXPECT_TRUE(toolBarShown("ToolBar2"));
    EXPECT_FALSE(toolBarShown("ToolBar3"));
    EXPECT_TRUE(toolBarShown("ToolBar4"));
    EXPECT_TRUE(toolBarShown("GainSpanToolBar"));
    EXPECT_EQ(panel(2), "Echo");
    EXPECT_EQ(panel(3), "Hex Write");
    EXPECT_EQ(core().options().listColours().background, QColor(Qt::black));

    EXPECT_EQ(macBoxText(), "00:07:80:12:34:56");
    EXPECT_EQ(sendBoxText(), "SET BT NAME tester");
    EXPECT_EQ(core().state().logDirectory, "/tmp/captures");
    EXPECT_EQ(window->pos(), QPoint(20, 30));
    EXPECT_EQ(window->size(), QSize(700, 500));
    EXPECT_EQ(hexOf(module.read(100)), "");
}

// Texts from the file reach the module only as the boxes show them: a command hidden behind
// a CR in the saved MAC box text or send box text never goes on the wire.
TEST_F(StartUpTest, ControlCharactersInTheFileNeverReachTheWire)
{
    PtyPeer& module = plug(1);
    profile.writeSettings(thisVersion, "[General]\n"
                                       "MAC Address=\"00:07:80:12:34:56\\rSET RESET\\r\"\n"
                                       "Send Data=AT\\rSET RESET\\x1b\n"
                                       "Log Directory=/tmp/logs\\nx\n");
    showWindow();
    EXPECT_EQ(macBoxText(), "Unknown MAC     ");
    EXPECT_EQ(sendBoxText(), "ATSET RESET");
    EXPECT_EQ(core().state().logDirectory, "");
    click("CALL");
    click("SendData");
    const QByteArray expected = "\rCALL Unknown MAC      1101 RFCOMM\r\n\rATSET RESET\r\n";
    EXPECT_EQ(hexOf(module.readExactly(expected.size())), hexOf(expected));
    EXPECT_EQ(hexOf(module.read(100)), "");
}

struct MacTextCase {
    const char* name;
    const char* saved;
    const char* shown;
};

void PrintTo(const MacTextCase& c, std::ostream* os) { *os << c.name; }

class SavedMacTextTest : public StartUpTest, public ::testing::WithParamInterface<MacTextCase> {};

// The MAC box takes back an address of its own form, and nothing else.
TEST_P(SavedMacTextTest, ComesBackOnlyAsAnAddress)
{
    plug(1);
    profile.writeSettings(thisVersion,
                          QByteArray("[General]\nMAC Address=") + GetParam().saved + "\n");
    showWindow();
    EXPECT_EQ(macBoxText(), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, SavedMacTextTest,
    ::testing::Values(MacTextCase{"Address", "00:07:80:AB:cd:EF", "00:07:80:AB:cd:EF"},
                      MacTextCase{"ShortAddress", "00:07:80:12:34", "Unknown MAC     "},
                      MacTextCase{"BlankAfter", "\"00:07:80:12:34:56 \"", "Unknown MAC     "},
                      MacTextCase{"OtherSeparators", "00-07-80-12-34-56", "Unknown MAC     "},
                      MacTextCase{"NotHex", "00:07:80:12:34:5G", "Unknown MAC     "},
                      MacTextCase{"LineEndAfter", "00:07:80:12:34:56\\n", "Unknown MAC     "},
                      MacTextCase{"Empty", "", "Unknown MAC     "}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(StartUpTest, ExitWhileOfflineSavesPortZeroAndTheNextStartWaitsForComOne)
{
    showWindow(); // COM1 is not there
    EXPECT_EQ(prompts.messages, QStringList{"Unable to Open Port COM1"});
    window->close();
    EXPECT_EQ(savedValue("Com Port"), "0");
    // Nothing reopens a port once the window has closed.
    EXPECT_FALSE(core().receiver().findChild<QTimer*>("Timer1")->isActive());

    prompts.messages.clear();
    restart();
    showWindow();
    EXPECT_EQ(panel(0), "COM1 - OffLine");
    EXPECT_TRUE(prompts.messages.isEmpty());
    plug(1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return core().io().isOpen(); }, 10000));
    EXPECT_EQ(panel(0), "COM1 115200 8N1- Online");
}

// The memory budget of received lines comes from its own section, a bad value gives the
// default, and the value in use is saved.
TEST_F(StartUpTest, TheScrollbackBudgetIsTakenUpAndSaved)
{
    const qint64 megabyte = 1024 * 1024;
    const struct {
        const char* fileText;
        qint64 budget;
        const char* saved;
    } cases[] = {{"[Scrollback]\nMemory MB=64\n", 64 * megabyte, "64"},
                 {"[Scrollback]\nMemory MB=0\n", 256 * megabyte, "256"},
                 {"[General]\nEcho=0\n", 256 * megabyte, "256"}};
    for (const auto& c : cases) {
        profile.writeSettings(thisVersion, c.fileText);
        restart();
        showWindow();
        EXPECT_EQ(core().list().scrollback().budget(), c.budget) << c.fileText;
        window->close();
        const QSettings file(profile.settingsFile(thisVersion), QSettings::IniFormat);
        EXPECT_EQ(file.value("Scrollback/Memory MB").toString(), c.saved) << c.fileText;
    }
}

TEST_F(StartUpTest, ABaudRateOutsideTheMenuIsUsedAndNoRateIsTicked)
{
    plug(1);
    profile.writeSettings(thisVersion, "[General]\nBaud Rate=250000\n");
    showWindow();
    EXPECT_EQ(panel(0), "COM1 250000 8N1- Online");
    EXPECT_EQ(lastOpen().baudRate, 250000);
    EXPECT_EQ(tickedItems(baudItems), QStringList{});
    EXPECT_TRUE(prompts.messages.isEmpty());
}

TEST_F(StartUpTest, SavedMultiplexComesBackOnWithUnreadableOff)
{
    PtyPeer& module = plug(1);
    profile.writeSettings(thisVersion, "[General]\nUnreadable Mode=1\nMultiplex Mode=1\n");
    showWindow();
    EXPECT_TRUE(core().state().MUX1);
    EXPECT_TRUE(control<QCheckBox>("MUX1")->isChecked());
    EXPECT_EQ(core().state().muxLink, 255);
    EXPECT_FALSE(core().state().Unreadable1);
    EXPECT_FALSE(ticked("Unreadable1"));
    EXPECT_EQ(control<QCheckBox>("MUX1")->toolTip(), "SET CONTROL MUX 0");
    EXPECT_TRUE(core().io().isOpen());
    // The port opened after the options were set up: the module heard nothing.
    EXPECT_EQ(hexOf(module.read(100)), "");
}

TEST_F(StartUpTest, SavedLogAsksForTheCaptureFileBeforeThePortOpens)
{
    plug(1);
    QTemporaryDir captures;
    profile.writeSettings(
        thisVersion, "[General]\nLog Mode=1\nLog Directory=" + captures.path().toUtf8() + "\n");
    bool portOpenDuringDialog = true;
    prompts.logFileDialog = [&](const QString& directory, const QString&) {
        portOpenDuringDialog = core().io().isOpen();
        return UserPrompts::LogFileAnswer{true, directory + "/run.csv", directory};
    };
    showWindow();
    ASSERT_EQ(prompts.logDialogs.size(), 1);
    EXPECT_EQ(prompts.logDialogs[0].directory, captures.path());
    EXPECT_FALSE(portOpenDuringDialog);
    EXPECT_TRUE(core().io().isOpen());
    EXPECT_TRUE(core().state().Log1);
    EXPECT_TRUE(ticked("Log1"));
    EXPECT_EQ(panel(4), "=>" + captures.path() + "/run.csv");
}

TEST_F(StartUpTest, LogSavedOnButCancelledStartsWithoutCapture)
{
    plug(1);
    profile.writeSettings(thisVersion, "[General]\nLog Mode=1\n");
    showWindow();
    EXPECT_EQ(prompts.logDialogs.size(), 1);
    EXPECT_FALSE(core().state().Log1);
    EXPECT_FALSE(ticked("Log1"));
    EXPECT_TRUE(core().io().isOpen());
}

TEST_F(StartUpTest, EachVersionReadsOnlyItsOwnFile)
{
    plug(1);
    plug(7);
    profile.writeSettings(QStringLiteral("1.11"), "[General]\nCom Port=7\n");
    showWindow();
    EXPECT_EQ(panel(0), "COM1 115200 8N1- Online");

    restart({1, 11, 0, 0});
    showWindow();
    EXPECT_EQ(panel(0), "COM7 115200 8N1- Online");
}

// Every saved value set through the window comes back in the next run, and that run
// saves the same file again.
TEST_F(StartUpTest, EverySettingSurvivesARestart)
{
    plug(1);
    plug(7);
    QTemporaryDir captures;
    const QString captureFile = captures.path() + "/run.csv";
    prompts.logFileDialog = [&](const QString& directory, const QString&) {
        return UserPrompts::LogFileAnswer{true, captureFile, directory};
    };
    showWindow();
    window->move(37, 41);
    window->resize(720, 520);
    for (const char* item : {"COM7", "B9600", "EvenParity1", "N7DataBits1", "N2stopbits1", "SPP1",
                             "HID1", "Echo1", "HexMode", "HexModeWrite1", "Unreadable1",
                             "OrvinTerminal", "CopyToSend1", "Timestamp1", "DateStamp1", "Log1"})
        click(item);
    typeMac("00:07:80:ab:cd:ef");
    QTest::keyClicks(control<QLineEdit>("ESend"), "AT+NSTAT=?");
    ASSERT_EQ(window->windowTitle(), "Serivox COM7 9600 7E2- Online");
    window->close();
    EXPECT_FALSE(core().io().isOpen());
    const SavedSettings firstRun = SettingsStore(profile.settingsFile(thisVersion)).read();

    restart();
    showWindow();
    EXPECT_TRUE(prompts.messages.isEmpty());
    EXPECT_EQ(window->windowTitle(), "Serivox COM7 9600 7E2- Online");
    EXPECT_EQ(window->pos(), QPoint(37, 41));
    EXPECT_EQ(window->size(), QSize(720, 520));
    EXPECT_EQ(tickedItems(toolBarItems), (QStringList{"SPP1", "HID1"}));
    EXPECT_EQ(tickedItems(optionItems),
              (QStringList{"Echo1", "HexMode", "HexModeWrite1", "Unreadable1", "OrvinTerminal",
                           "CopyToSend1", "Log1", "Timestamp1", "DateStamp1"}));
    // The capture was asked for again, in the folder of the last one.
    ASSERT_EQ(prompts.logDialogs.size(), 2);
    EXPECT_EQ(prompts.logDialogs[1].directory, captures.path());
    EXPECT_EQ(panel(4), "=>" + captureFile);
    EXPECT_EQ(macBoxText(), "00:07:80:ab:cd:ef");
    EXPECT_EQ(sendBoxText(), "AT+NSTAT=?");
    window->close();

    const SavedSettings secondRun = SettingsStore(profile.settingsFile(thisVersion)).read();
    EXPECT_EQ(secondRun, firstRun);
    EXPECT_EQ(firstRun.comPort, 7);
    EXPECT_EQ(firstRun.MUX1, false);
    EXPECT_EQ(firstRun.Log1, true);
    EXPECT_EQ(firstRun.logDirectory, captures.path());
}

TEST_F(StartUpTest, ASettingsFileThatCannotBeWrittenLosesTheRunSilently)
{
    plug(1);
    ASSERT_TRUE(QDir().mkpath(profile.settingsFile(thisVersion)));
    showWindow();
    click("Echo1");
    window->close();
    EXPECT_TRUE(prompts.messages.isEmpty());
    EXPECT_FALSE(core().io().isOpen());
    EXPECT_TRUE(QFileInfo(profile.settingsFile(thisVersion)).isDir());
}

// Closed before its start-up ran, the window has no settings to save: the file keeps
// what the last run saved.
TEST_F(StartUpTest, AWindowClosedBeforeItsStartUpSavesNothing)
{
    profile.writeSettings(thisVersion, "[General]\nCom Port=7\nBaud Rate=9600\n");
    window->show();
    window->close();
    EXPECT_EQ(savedValue("Com Port"), "7");
    EXPECT_EQ(savedValue("Baud Rate"), "9600");
    EXPECT_EQ(savedValue("Left"), "");
}

struct BadFileCase {
    const char* name;
    const char* fileText;
};

void PrintTo(const BadFileCase& c, std::ostream* os) { *os << c.name; }

class BadSettingsFileTest : public StartUpTest,
                            public ::testing::WithParamInterface<BadFileCase> {};

// A file with values the program cannot use starts it as on a first run, on a screen.
TEST_P(BadSettingsFileTest, StartsWithTheDefaults)
{
    plug(1);
    profile.writeSettings(thisVersion, GetParam().fileText);
    const QSize designed = window->size();
    showWindow();
    EXPECT_TRUE(prompts.messages.isEmpty()) << prompts.messages.join('|').toStdString();
    EXPECT_EQ(window->windowTitle(), "Serivox COM1 115200 8N1- Online");
    EXPECT_TRUE(sameSettings(lastOpen(), {115200, 8, 0, 1}));
    EXPECT_EQ(tickedItems(optionItems), QStringList{});
    EXPECT_EQ(macBoxText(), "Unknown MAC     ");
    EXPECT_EQ(sendBoxText(), "");

    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_TRUE(window->frameGeometry().intersects(screen)) << window->pos().x();
    EXPECT_LE(window->width(), std::max(designed.width(), screen.width()));
    EXPECT_LE(window->height(), std::max(designed.height(), screen.height()));
    EXPECT_GE(window->width(), window->minimumWidth());
}

INSTANTIATE_TEST_SUITE_P(
    Files, BadSettingsFileTest,
    ::testing::Values(
        BadFileCase{"NotAnIniFile", "\x01\x02\xff\xfe[[[=\n==\n\\\n"},
        BadFileCase{"Words", "[General]\nCom Port=seven\nBaud Rate=fast\nEcho=yes\nLeft=far\n"},
        BadFileCase{"BeyondThirtyTwoBits", "[General]\nCom Port=4294967297\nWidth=99999999999\n"},
        BadFileCase{"PortAboveHundred", "[General]\nCom Port=101\n"},
        BadFileCase{"NegativePort", "[General]\nCom Port=-7\n"},
        BadFileCase{"LineSettingsThePortCannotTake",
                    "[General]\nBaud Rate=0\nData bits=9\nParity=3\nStopbits=0\n"},
        BadFileCase{"NegativeLineSettings",
                    "[General]\nBaud Rate=-9600\nData bits=-8\nParity=-1\nStopbits=-2\n"},
        BadFileCase{"WindowAtTheEndsOfTheRange", "[General]\nLeft=-2147483648\nTop=2147483647\n"},
        BadFileCase{"WindowBeyondTheScreens", "[General]\nLeft=5000\nTop=-3000\n"},
        BadFileCase{"HugeWindow", "[General]\nLeft=2147483000\nWidth=2147483647\n"
                                  "Height=2147483647\n"},
        BadFileCase{"NoSize", "[General]\nWidth=-500\nHeight=0\n"},
        BadFileCase{"ListsForTexts", "[General]\nMAC Address=a, b\nSend Data=x, y\n"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
