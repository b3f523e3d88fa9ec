// The settings file: the version in its name, the 26 values under their exact names, and
// what is read from a file that holds something else.
#include "ProgramVersion.h"
#include "QtPrinters.h"
#include "SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>
#include <cstring>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

struct VersionCase {
    FileVersion version;
    const char* text;
};

void PrintTo(const VersionCase& c, std::ostream* os) { *os << c.text; }

class VersionTextTest : public ::testing::TestWithParam<VersionCase> {};

TEST_P(VersionTextTest, MinorHasTwoDigitsAndAReleaseAddsALetter)
{
    EXPECT_EQ(versionText(GetParam().version), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Versions, VersionTextTest,
                         ::testing::Values(VersionCase{{1, 10, 0, 0}, "1.10"},
                                           VersionCase{{1, 9, 0, 0}, "1.09"},
                                           VersionCase{{1, 10, 2, 0}, "1.10B"},
                                           VersionCase{{1, 10, 1, 7}, "1.10A"},
                                           VersionCase{{2, 100, 0, 3}, "2.100"}));

TEST(ProgramVersionTest, IsTheBuildsOwnAndNamesItsSettingsFile)
{
    EXPECT_EQ(versionText(compiledVersion()), "1.10");
    EXPECT_EQ(SettingsStore::fileName(QStringLiteral("1.10")), "Serivox V1.10.ini");
}

class SettingsStoreTest : public ::testing::Test {
protected:
    QString path() const { return dir.path() + QStringLiteral("/Serivox V1.10.ini"); }
    void writeFile(const QByteArray& text) const
    {
        QFile file(path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }
    QTemporaryDir dir;
};

SavedSettings everyValueSet()
{
    SavedSettings s;
    s.Left = -40;
    s.Top = 1200;
    s.Width = 1001;
    s.Height = 702;
    s.comPort = 0;
    s.baudRate = 250000;
    s.dataBits = 7;
    s.parity = 2;
    s.stopBits = 2;
    s.macAddress = QStringLiteral("00:07:80:aa:bb:cc, \"quoted\" = [x]");
    s.SPP1 = true;
    s.BGIO1 = false;
    s.HID1 = true;
    s.GainSpan1 = true;
    s.Echo1 = true;
    s.HexMode = false;
    s.HexModeWrite1 = true;
    s.Log1 = true;
    s.Unreadable1 = true;
    s.MUX1 = true;
    s.sendData = QStringLiteral("AT+VER=?;\\ %20 \u00e9");
    s.OrvinTerminal = true;
    s.Timestamp1 = false;
    s.DateStamp1 = true;
    s.CopyToSend1 = true;
    s.logDirectory = QStringLiteral("/home/someone/captures, old");
    return s;
}

TEST_F(SettingsStoreTest, EveryValueComesBackAsWritten)
{
    const SavedSettings written = everyValueSet();
    ASSERT_TRUE(SettingsStore(path()).write(written));
    EXPECT_EQ(SettingsStore(path()).read(), written);

    // Written under exactly these names, integers and flags as numbers.
    const QSettings file(path(), QSettings::IniFormat);
    QStringList names = SettingsStore::valueNames();
    EXPECT_EQ(names.size(), 26);
    QStringList keys = file.allKeys();
    names.sort();
    keys.sort();
    EXPECT_EQ(keys, names);
    EXPECT_EQ(file.value("Top").toString(), "1200");
    EXPECT_EQ(file.value("Multiplex Mode").toString(), "1");
    EXPECT_EQ(file.value("BGIO ToolBar").toString(), "0");
}

// The file names the values as people read them, in the order of the table, as the help
// lists them; Qt's settings class (and so an older build) reads it all the same.
TEST_F(SettingsStoreTest, NamesTheValuesAsTheyAreInTheTablesOrder)
{
    ASSERT_TRUE(SettingsStore(path()).write(everyValueSet()));
    QFile file(path());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll().toStdString(),
              "[General]\n"
              "Left=-40\nTop=1200\nWidth=1001\nHeight=702\n"
              "Com Port=0\nBaud Rate=250000\nData bits=7\nParity=2\nStopbits=2\n"
              "MAC Address=\"00:07:80:aa:bb:cc, \\\"quoted\\\" = [x]\"\n"
              "SPP ToolBar=1\nBGIO ToolBar=0\nHID ToolBar=1\nGainSpan ToolBar=1\n"
              "Echo=1\nHex Mode=0\nHex Mode Write=1\nLog Mode=1\nUnreadable Mode=1\n"
              "Multiplex Mode=1\n"
              "Send Data=\"AT+VER=?;\\\\ %20 \xc3\xa9\"\n"
              "OrvinTerminal=1\nTimeStamp=0\nDateStamp=1\nCopy To Send=1\n"
              "Log Directory=\"/home/someone/captures, old\"\n");
}

TEST_F(SettingsStoreTest, NoFileGivesNoValues)
{
    EXPECT_EQ(SettingsStore(path()).read(), SavedSettings{});
}

TEST_F(SettingsStoreTest, WritingOverAnOlderFileReplacesItsValues)
{
    writeFile("[General]\nCom Port=9\nEcho=1\nSend Data=old\n");
    const SavedSettings written = everyValueSet();
    ASSERT_TRUE(SettingsStore(path()).write(written));
    EXPECT_EQ(SettingsStore(path()).read(), written);
}

// The file is replaced by a new one, which takes the old one's permissions: a file its owner
// made readable for others stays readable, a private one stays private.
TEST_F(SettingsStoreTest, WritingOverAFileKeepsItsPermissions)
{
    const QByteArray native = QFile::encodeName(path());
    const auto modeOf = [&] {
        struct stat st {};
        return ::stat(native.constData(), &st) == 0 ? QString::number(st.st_mode & 07777, 8)
                                                    : QStringLiteral("no file");
    };
    for (const mode_t mode : {0644, 0600}) {
        writeFile("[General]\nEcho=1\n");
        ASSERT_EQ(::chmod(native.constData(), mode), 0);
        ASSERT_TRUE(SettingsStore(path()).write(everyValueSet()));
        EXPECT_EQ(modeOf(), QString::number(mode, 8));
    }
}

TEST_F(SettingsStoreTest, AFileThatCannotBeWrittenIsReported)
{
    // A folder where the file should be: not even root can write it.
    ASSERT_TRUE(QDir().mkpath(path()));
    EXPECT_FALSE(SettingsStore(path()).write(everyValueSet()));
}

// The file is replaced by a new one when it is written; a file kept elsewhere and linked
// into the settings folder is replaced where it is, and the link stays.
TEST_F(SettingsStoreTest, AFileReachedThroughALinkIsWrittenWhereItIs)
{
    QTemporaryDir elsewhere;
    const QString kept = elsewhere.filePath(QStringLiteral("kept.ini"));
    QFile(kept).open(QIODevice::WriteOnly);
    ASSERT_TRUE(QFile::link(kept, path()));
    const SavedSettings written = everyValueSet();
    ASSERT_TRUE(SettingsStore(path()).write(written));
    EXPECT_TRUE(QFileInfo(path()).isSymLink());
    EXPECT_EQ(SettingsStore(kept).read(), written);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System),
              QStringList{QFileInfo(path()).fileName()});
}

// A chain of links is followed to its end, relative links from where they are; every link
// stays, and the file keeps its permissions.
TEST_F(SettingsStoreTest, AChainOfLinksIsWrittenAtItsEnd)
{
    QTemporaryDir elsewhere;
    const QString kept = elsewhere.filePath(QStringLiteral("kept.ini"));
    const QString middle = elsewhere.filePath(QStringLiteral("middle.ini"));
    writeFile("[General]\nEcho=1\n");
    ASSERT_TRUE(QFile::rename(path(), kept));
    ASSERT_EQ(::chmod(QFile::encodeName(kept).constData(), 0644), 0);
    ASSERT_EQ(::symlink("kept.ini", QFile::encodeName(middle).constData()), 0);
    ASSERT_TRUE(QFile::link(middle, path()));

    const SavedSettings written = everyValueSet();
    ASSERT_TRUE(SettingsStore(path()).write(written));
    EXPECT_EQ(QFileInfo(path()).symLinkTarget(), middle);
    EXPECT_TRUE(QFileInfo(middle).isSymLink()) << "the link in the middle was replaced";
    EXPECT_EQ(SettingsStore(kept).read(), written);
    struct stat file {};
    ASSERT_EQ(::stat(QFile::encodeName(kept).constData(), &file), 0);
    EXPECT_EQ(file.st_mode & 07777, 0644u);
    EXPECT_EQ(QDir(elsewhere.path()).entryList(QDir::Files | QDir::Hidden | QDir::System),
              (QStringList{"kept.ini", "middle.ini"}));
}

// A link to a name not yet taken makes the file there, when the folder is there.
TEST_F(SettingsStoreTest, ALinkToAFreeNameMakesTheFileThere)
{
    QTemporaryDir elsewhere;
    const QString fresh = elsewhere.filePath(QStringLiteral("fresh.ini"));
    ASSERT_TRUE(QFile::link(fresh, path()));
    ASSERT_TRUE(SettingsStore(path()).write(everyValueSet()));
    EXPECT_TRUE(QFileInfo(path()).isSymLink());
    EXPECT_EQ(SettingsStore(fresh).read(), everyValueSet());
}

struct LinkEnd {
    const char* name;
    const char* end; // where the settings file's link leads
    // Makes what is there; false when it cannot here.
    bool (*make)(const QString& end);
    const char* why; // how the reason names it
};

void PrintTo(const LinkEnd& c, std::ostream* os) { *os << c.name; }

bool makeSocket(const QString& end)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(end);
    if (fd < 0 || size_t(name.size()) >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, name.constData(), size_t(name.size()));
    const bool bound = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return bound;
}

const LinkEnd linkEnds[] = {
    // A null device of the test's own: the system's /dev/null is never put at risk.
    {"Device", "end",
     [](const QString& end) {
         return ::mknod(QFile::encodeName(end).constData(), S_IFCHR | 0666, makedev(1, 3)) == 0;
     },
     "which is a device, not a file"},
    {"NamedPipe", "end",
     [](const QString& end) { return ::mkfifo(QFile::encodeName(end).constData(), 0600) == 0; },
     "which is a named pipe, not a file"},
    {"Socket", "end", makeSocket, "which is a socket, not a file"},
    {"Folder", "end", [](const QString& end) { return QDir().mkdir(end); },
     "which is a folder, not a file"},
    {"FileInAMissingFolder", "gone/deeper/kept.ini", [](const QString&) { return true; },
     "which is in a folder that does not exist"},
    {"LoopOfLinks", "end",
     [](const QString& end) {
         return QFile::link(end + QStringLiteral(".2"), end) &&
                QFile::link(end, end + QStringLiteral(".2"));
     },
     "which is in a loop of links"},
};

class LinkEndTest : public SettingsStoreTest, public ::testing::WithParamInterface<LinkEnd> {};

// A settings file linked to what is not a file (as root, "ln -s /dev/null" to stop a program
// saving) is never written through or replaced, and no folder is made for it; the reason
// for not saving names what the link leads to.
TEST_P(LinkEndTest, IsNotWrittenAndSaysWhy)
{
    QTemporaryDir elsewhere;
    const QString end = elsewhere.filePath(QString::fromLatin1(GetParam().end));
    if (!GetParam().make(end))
        GTEST_SKIP() << "cannot make that here (a device node takes the superuser)";
    ASSERT_TRUE(QFile::link(end, path()));
    struct stat before {};
    ::lstat(QFile::encodeName(end).constData(), &before);
    const auto entries = [](const QString& folder) {
        return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                      QDir::NoDotAndDotDot);
    };
    const QStringList entriesBefore = entries(elsewhere.path());

    QString why;
    EXPECT_FALSE(SettingsStore(path()).write(everyValueSet(), &why));
    EXPECT_TRUE(why.contains(end)) << why.toStdString();
    EXPECT_TRUE(why.contains(GetParam().why)) << why.toStdString();
    struct stat after {};
    ::lstat(QFile::encodeName(end).constData(), &after);
    EXPECT_EQ(after.st_ino, before.st_ino) << "what the link leads to was replaced";
    EXPECT_EQ(after.st_mode, before.st_mode);
    EXPECT_TRUE(QFileInfo(path()).isSymLink());
    EXPECT_EQ(entries(elsewhere.path()), entriesBefore)
        << "a folder or a temporary was left outside the settings folder";
    EXPECT_EQ(entries(dir.path()), QStringList{QFileInfo(path()).fileName()});
}

INSTANTIATE_TEST_SUITE_P(Ends, LinkEndTest, ::testing::ValuesIn(linkEnds),
                         [](const auto& info) { return std::string(info.param.name); });

// Values as a person or another program may have left them, read by their plain names.
TEST_F(SettingsStoreTest, ReadsValuesWrittenByHand)
{
    writeFile("[General]\n"
              "Com Port=7\nBaud Rate= 9600 \nData bits=7\nParity=2\nStopbits=2\n"
              "Hex Mode=5\nEcho=0\nTimeStamp=-1\n"
              "MAC Address=00:07:80:12:34:56\nLog Directory=/tmp/logs\n");
    const SavedSettings read = SettingsStore(path()).read();
    EXPECT_EQ(read.comPort, 7);
    EXPECT_EQ(read.baudRate, 9600);
    EXPECT_EQ(read.dataBits, 7);
    EXPECT_EQ(read.parity, 2);
    EXPECT_EQ(read.stopBits, 2);
    EXPECT_EQ(read.HexMode, true); // any number but 0 is on
    EXPECT_EQ(read.Echo1, false);
    EXPECT_EQ(read.Timestamp1, true);
    EXPECT_EQ(read.macAddress, QStringLiteral("00:07:80:12:34:56"));
    EXPECT_EQ(read.logDirectory, QStringLiteral("/tmp/logs"));
    EXPECT_EQ(read.Left, std::nullopt);
    EXPECT_EQ(read.sendData, std::nullopt);
}

struct TextCase {
    const char* name;
    QString text;
};

void PrintTo(const TextCase& c, std::ostream* os) { *os << c.name; }

class QtFormTest : public SettingsStoreTest, public ::testing::WithParamInterface<TextCase> {};

// Files written by Qt's settings class (every earlier build) read as they were meant, and
// Qt's class reads the texts this store writes: quotes, escapes and all.
TEST_P(QtFormTest, TextsReadTheSameEitherWay)
{
    const QString text = GetParam().text;
    const QString byQt = dir.filePath(QStringLiteral("by-qt.ini"));
    {
        QSettings qt(byQt, QSettings::IniFormat);
        qt.setValue(QStringLiteral("Send Data"), text);
        qt.setValue(QStringLiteral("Com Port"), 7);
    }
    const SavedSettings read = SettingsStore(byQt).read();
    EXPECT_EQ(read.sendData, text);
    EXPECT_EQ(read.comPort, 7);

    SavedSettings written;
    written.sendData = text;
    ASSERT_TRUE(SettingsStore(path()).write(written));
    EXPECT_EQ(QSettings(path(), QSettings::IniFormat).value(QStringLiteral("Send Data")), text);
    EXPECT_EQ(SettingsStore(path()).read(), written);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, QtFormTest,
    ::testing::Values(
        TextCase{"Plain", QStringLiteral("SET BT NAME tester")}, TextCase{"Empty", QString()},
        TextCase{"BlanksAtTheEnds", QStringLiteral("  lead and trail ")},
        TextCase{"Separators", QStringLiteral("a,b;c=d")},
        TextCase{"QuotesAndBackslashes", QStringLiteral("say \"hi\" C:\\dir\\")},
        TextCase{"EscapesAsText", QStringLiteral("\\x41\\n\\")},
        TextCase{"ControlCharacters", QStringLiteral("tab\tcr\rlf\n\x01\x1b[2J\x7f\u0085")},
        TextCase{"HexDigitAfterAnEscape", QStringLiteral("\x01"
                                                         "F\x02"
                                                         "9")},
        TextCase{"NullCharacter", QString(QChar(0)) + QStringLiteral("12")},
        TextCase{"AtSign", QStringLiteral("@at")}, TextCase{"TwoAtSigns", QStringLiteral("@@at")},
        TextCase{"LooksLikeAnotherKind", QStringLiteral("@ByteArray(x)")},
        TextCase{"NonAscii", QStringLiteral("\u00e9 \u20ac \U0001F600 \u00a0")},
        TextCase{"IniSyntax", QStringLiteral("[General] %20 #x ; y")}),
    [](const auto& info) { return std::string(info.param.name); });

struct FlagCase {
    const char* text;
    std::optional<bool> on;
};

void PrintTo(const FlagCase& c, std::ostream* os) { *os << c.text; }

class FlagValueTest : public SettingsStoreTest, public ::testing::WithParamInterface<FlagCase> {};

// A flag is a 32-bit value, as the registry keeps it: every one but 0 is on.
TEST_P(FlagValueTest, AnyThirtyTwoBitValueButZeroIsOn)
{
    writeFile(QByteArray("[General]\nTimeStamp=") + GetParam().text + "\n");
    EXPECT_EQ(SettingsStore(path()).read().Timestamp1, GetParam().on);
}

INSTANTIATE_TEST_SUITE_P(
    Values, FlagValueTest,
    ::testing::Values(FlagCase{"0", false}, FlagCase{"1", true}, FlagCase{"2147483647", true},
                      FlagCase{"2147483648", true}, FlagCase{"4294967295", true},
                      FlagCase{"-1", true}, FlagCase{"-2147483648", true},
                      FlagCase{"4294967296", std::nullopt}, FlagCase{"-2147483649", std::nullopt}));

struct MalformedCase {
    const char* name;
    const char* fileText;
};

void PrintTo(const MalformedCase& c, std::ostream* os) { *os << c.name; }

class MalformedValueTest : public SettingsStoreTest,
                           public ::testing::WithParamInterface<MalformedCase> {};

// A value that is not of its kind reads as no value at all, so the default stays.
TEST_P(MalformedValueTest, ReadsAsNoValue)
{
    writeFile(GetParam().fileText);
    EXPECT_EQ(SettingsStore(path()).read(), SavedSettings{});
}

INSTANTIATE_TEST_SUITE_P(
    Values, MalformedValueTest,
    ::testing::Values(
        MalformedCase{"Words", "[General]\nCom Port=seven\nEcho=yes\nLeft=1e3\nWidth=12px\n"},
        MalformedCase{"Fractions", "[General]\nData bits=8.0\nParity=0,5\n"},
        MalformedCase{"BeyondThirtyTwoBits",
                      "[General]\nBaud Rate=99999999999\nTop=-2147483649\nHex Mode=4294967296\n"},
        MalformedCase{"Empty", "[General]\nStopbits=\nMultiplex Mode=\n"},
        MalformedCase{"ListsForTexts",
                      "[General]\nMAC Address=a, b\nSend Data=x,y\nLog Directory=p, q\n"},
        MalformedCase{"OtherKinds", "[General]\nCom Port=@ByteArray(7)\nSend Data=@Invalid()\n"},
        MalformedCase{"OtherSection", "[Elsewhere]\nCom Port=7\nEcho=1\n"},
        MalformedCase{"NotAnIniFile", "\x01\x02\xff\xfe[[[=\n==\n\\\n"}),
    [](const auto& info) { return std::string(info.param.name); });

// The memory budget of received lines has a section of its own; a value that is not a whole
// number of megabytes in range reads as none, so the default stays.
struct ScrollbackCase {
    const char* name;
    const char* fileText;
    std::optional<int> megabytes;
};

void PrintTo(const ScrollbackCase& c, std::ostream* os) { *os << c.name; }

class ScrollbackMemoryTest : public SettingsStoreTest,
                             public ::testing::WithParamInterface<ScrollbackCase> {};

TEST_P(ScrollbackMemoryTest, ReadsOnlyAWholeNumberInRange)
{
    writeFile(GetParam().fileText);
    EXPECT_EQ(SettingsStore(path()).read().scrollbackMemoryMB, GetParam().megabytes);
}

INSTANTIATE_TEST_SUITE_P(
    Values, ScrollbackMemoryTest,
    ::testing::Values(
        ScrollbackCase{"Set", "[General]\nEcho=1\n\n[Scrollback]\nMemory MB=64\n", 64},
        ScrollbackCase{"Largest", "[Scrollback]\nMemory%20MB=1048576\n", 1048576},
        ScrollbackCase{"Zero", "[Scrollback]\nMemory MB=0\n", std::nullopt},
        ScrollbackCase{"Negative", "[Scrollback]\nMemory MB=-256\n", std::nullopt},
        ScrollbackCase{"TooLarge", "[Scrollback]\nMemory MB=1048577\n", std::nullopt},
        ScrollbackCase{"Words", "[Scrollback]\nMemory MB=lots\n", std::nullopt},
        ScrollbackCase{"InGeneral", "[General]\nMemory MB=64\n", std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

// Written after the 26 values, in its own section; a write without it keeps the file's.
TEST_F(SettingsStoreTest, TheScrollbackBudgetIsWrittenInItsOwnSection)
{
    SavedSettings values;
    values.Echo1 = true;
    values.scrollbackMemoryMB = 512;
    ASSERT_TRUE(SettingsStore(path()).write(values));
    QFile file(path());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll().toStdString(), "[General]\nEcho=1\n\n[Scrollback]\nMemory MB=512\n");
    ASSERT_TRUE(SettingsStore(path()).write(everyValueSet()));
    EXPECT_EQ(SettingsStore(path()).read().scrollbackMemoryMB, 512);
}

} // namespace
