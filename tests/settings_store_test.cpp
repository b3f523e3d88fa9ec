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
#include <gtest/gtest.h>
#include <sys/stat.h>

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

} // namespace
