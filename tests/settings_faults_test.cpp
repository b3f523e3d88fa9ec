// Settings files that hurt: random bytes, a hundred megabytes, values all out of range, a
// folder that cannot be written, a disk that is full at exit. The real window starts with
// the defaults and without a message, and an old file is never left half written.
#include "QtPrinters.h"
#include "RerunTest.h"
#include "TinyFileSystem.h"
#include "WindowFixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QRandomGenerator>
#include <QSettings>
#include <QTemporaryFile>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString thisVersion = QStringLiteral("1.10");

class SettingsFaultTest : public WindowFixture {
protected:
    QString settingsFile() const { return profile.settingsFile(thisVersion); }
    QByteArray settingsContent() const
    {
        QFile file(settingsFile());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    // Starts the program and checks that it runs as on a first start: COM1 at the default
    // line settings, every option off, and nothing told.
    void expectFirstStartDefaults()
    {
        plug(1);
        showWindow();
        EXPECT_TRUE(prompts.messages.isEmpty()) << prompts.messages.join('|').toStdString();
        EXPECT_EQ(window->windowTitle(), "Serivox COM1 115200 8N1- Online");
        for (const char* option : {"Echo1", "HexMode", "Log1", "Unreadable1", "Timestamp1"})
            EXPECT_FALSE(action(option)->isChecked()) << option;
    }
};

QByteArray randomBytes(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator generator(12);
    for (char& b : bytes)
        b = char(generator.bounded(256));
    return bytes;
}

struct HostileFile {
    const char* name;
    QByteArray (*content)();
};

void PrintTo(const HostileFile& c, std::ostream* os) { *os << c.name; }

const HostileFile hostileFiles[] = {
    {"RandomBytes", [] { return randomBytes(64 * 1024); }},
    {"EveryNumberOutOfRange",
     [] {
         return QByteArray("[General]\nLeft=-2147483648\nTop=2147483647\nWidth=-1\nHeight=0\n"
                           "Com Port=1000\nBaud Rate=-115200\nData bits=99\nParity=9\n"
                           "Stopbits=7\nSPP ToolBar=4294967296\nBGIO ToolBar=-4294967296\n"
                           "HID ToolBar=x\nGainSpan ToolBar=1e9\nEcho=99999999999\n"
                           "Hex Mode=0x1\nHex Mode Write=one\nLog Mode=--1\n"
                           "Unreadable Mode=1.5\nMultiplex Mode=9999999999\n"
                           "OrvinTerminal=+-0\nTimeStamp=\nDateStamp=[1]\n"
                           "Copy To Send=@Invalid()\n");
     }},
};

class HostileSettingsFileTest : public SettingsFaultTest,
                                public ::testing::WithParamInterface<HostileFile> {};

TEST_P(HostileSettingsFileTest, StartsWithTheDefaults)
{
    profile.writeSettings(thisVersion, GetParam().content());
    expectFirstStartDefaults();
}

INSTANTIATE_TEST_SUITE_P(Files, HostileSettingsFileTest, ::testing::ValuesIn(hostileFiles),
                         [](const auto& info) { return std::string(info.param.name); });

// A file this large was not written by the program: it is not even parsed, so the sound
// values at its start are not taken either, and the start does not wait for it.
TEST_F(SettingsFaultTest, AHundredMegabyteFileIsNotReadAndIsReplacedAtExit)
{
    profile.writeSettings(thisVersion, "[General]\nBaud Rate=9600\nEcho=1\n");
    ASSERT_EQ(::truncate(QFile::encodeName(settingsFile()).constData(), 100 << 20), 0);
    expectFirstStartDefaults();
    window->close();
    EXPECT_LT(QFileInfo(settingsFile()).size(), 4096);
    EXPECT_EQ(QSettings(settingsFile(), QSettings::IniFormat).value("Baud Rate").toString(),
              "115200");
}

// The old file is replaced in one step, or not at all: a full disk at exit leaves it whole.
TEST_F(SettingsFaultTest, AFullDiskAtExitLeavesTheOldFileWhole)
{
    TinyFileSystem disk(16, profile.settingsDir());
    if (!disk.mounted() && rerunWithMountRights())
        return;
    if (!disk.mounted())
        GTEST_SKIP() << "a small file system could not be mounted: that takes the superuser "
                        "or a user namespace";
    QDir().mkpath(profile.portsDir());
    const QByteArray old = "[General]\nBaud Rate=9600\nSend Data=" + QByteArray(3000, 's') + "\n";
    profile.writeSettings(thisVersion, old);
    plug(1);
    showWindow();
    EXPECT_EQ(window->windowTitle(), "Serivox COM1 9600 8N1- Online");
    click("Echo1");
    disk.fill();
    window->close();
    EXPECT_EQ(settingsContent(), old);
    EXPECT_TRUE(prompts.messages.isEmpty());
    EXPECT_EQ(QDir(profile.settingsDir()).entryList(QDir::Files),
              (QStringList{"ballast", "Serivox V1.10.ini"}))
        << "a half-written file was left behind";
}

TEST_F(SettingsFaultTest, AReadOnlyFolderIsReadAndLeftAsItWas)
{
    TinyFileSystem disk(64, profile.settingsDir());
    // The superuser writes through folder permissions, but not onto a read-only mount; with
    // no mount, the test runs as a user that folder permissions bind.
    if (!disk.mounted() && rerunAsNobody())
        return;
    QDir().mkpath(profile.portsDir());
    const QByteArray old = "[General]\nBaud Rate=9600\n";
    profile.writeSettings(thisVersion, old);
    plug(1);
    const bool readOnly =
        disk.mounted()
            ? disk.makeReadOnly()
            : QFile::setPermissions(profile.settingsDir(), QFile::ReadOwner | QFile::ExeOwner) &&
                  ::geteuid() != 0;
    if (!readOnly)
        GTEST_SKIP() << "the settings folder could not be made read-only";
    showWindow();
    EXPECT_EQ(window->windowTitle(), "Serivox COM1 9600 8N1- Online");
    click("Echo1");
    window->close();
    EXPECT_EQ(settingsContent(), old);
    EXPECT_TRUE(prompts.messages.isEmpty());
    QFile::setPermissions(profile.settingsDir(),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

// What the program writes on its error channel while this lives.
class ErrorChannel {
public:
    ErrorChannel()
    {
        m_file.open();
        std::fflush(stderr);
        m_saved = ::dup(STDERR_FILENO);
        ::dup2(m_file.handle(), STDERR_FILENO);
    }
    ~ErrorChannel() { restore(); }
    QByteArray text()
    {
        restore();
        QFile file(m_file.fileName());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private:
    void restore()
    {
        if (m_saved < 0)
            return;
        std::fflush(stderr);
        ::dup2(m_saved, STDERR_FILENO);
        ::close(m_saved);
        m_saved = -1;
    }
    QTemporaryFile m_file;
    int m_saved = -1;
};

// A settings file linked to a named pipe (or a device) is read as no file and never written
// through; at exit the program says once, on its error channel, why nothing was saved.
TEST_F(SettingsFaultTest, ASettingsFileLinkedToAPipeIsNotWrittenAndTheReasonIsSaidOnce)
{
    const QString pipe = profile.configHome() + QStringLiteral("/pipe");
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(pipe, settingsFile()));
    expectFirstStartDefaults();
    ErrorChannel errors;
    window->close();
    EXPECT_EQ(errors.text().toStdString(),
              QStringLiteral("Serivox: settings not saved: %1 links to %2, which is a named pipe, "
                             "not a file\n")
                  .arg(settingsFile(), pipe)
                  .toStdString());
    EXPECT_TRUE(QFileInfo(settingsFile()).isSymLink());
    struct stat end {};
    ASSERT_EQ(::stat(QFile::encodeName(pipe).constData(), &end), 0);
    EXPECT_TRUE(S_ISFIFO(end.st_mode)) << "the pipe was replaced";
}

// Killed while it writes its settings (SIGKILL just after SIGTERM), the program leaves its
// temporary behind, and older builds left the lock files of Qt's settings class too. The next
// start removes them; never those a live process holds (another instance writing at its
// exit), nor files a person made.
TEST_F(SettingsFaultTest, LeftoversOfKilledWritesGoAtTheNextStart)
{
    profile.writeSettings(thisVersion, "[General]\nBaud Rate=9600\n");
    const QDir folder(profile.settingsDir());
    const auto make = [&](const char* name, const QByteArray& content = {}) {
        QFile file(folder.filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    };
    make("Serivox V1.10.ini.a1B2c3", "[General]\nBaud");
    make("Serivox V1.10.ini.a1B2c3.lock", "2147483000\nserivox\nsomewhere\n");
    make("Serivox V1.10.ini.Qx7Zp0");
    make("Serivox V1.10.ini.Qx7Zp0.K2mN4b");
    make("Serivox V1.10.ini.lock");

    make("Serivox V1.10.ini.Live01");
    const int writing = ::open(
        QFile::encodeName(folder.filePath("Serivox V1.10.ini.Live01")).constData(), O_RDONLY);
    ASSERT_EQ(::flock(writing, LOCK_EX), 0);
    QLockFile held(folder.filePath(QStringLiteral("Serivox V1.10.ini.Held22.lock")));
    ASSERT_TRUE(held.tryLock(0));
    ASSERT_EQ(
        ::mkfifo(QFile::encodeName(folder.filePath("Serivox V1.10.ini.Pipe33")).constData(), 0600),
        0);

    const QStringList persons = {"Serivox V1.10.ini.backup", "Serivox V1.10.ini.bak",
                                 "Serivox V1.11.ini.a1B2c3", "notes.a1B2c3"};
    for (const QString& name : persons)
        make(name.toLatin1().constData(), "kept");

    plug(1);
    showWindow();
    EXPECT_EQ(window->windowTitle(), "Serivox COM1 9600 8N1- Online");
    QStringList left = folder.entryList(QDir::Files | QDir::Hidden | QDir::System);
    QStringList expected =
        persons + QStringList{"Serivox V1.10.ini", "Serivox V1.10.ini.Live01",
                              "Serivox V1.10.ini.Held22.lock", "Serivox V1.10.ini.Pipe33"};
    left.sort();
    expected.sort();
    EXPECT_EQ(left, expected);
    ::close(writing);
}

} // namespace
