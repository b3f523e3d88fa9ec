// The real program under a file-size limit (`ulimit -f`): capturing until the capture file
// reaches the limit must not end it. The write that does not fit fails like one on a full
// disk: told once, the file keeps whole records only, the capture goes on once the limit
// allows, and the run's settings are still saved at the end.
#include "ProgramVersion.h"
#include "PtyPeer.h"
#include "TestProfile.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSet>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <cstring>
#include <gtest/gtest.h>
#include <sys/resource.h>

namespace {

constexpr int patienceMs = 30000;
constexpr rlim_t fileSizeLimit = 64 * 1024;

QByteArray contentOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The records a capture gains for a line of printable bytes ended by CR: one for each byte,
// the CR's empty one, and the finished line.
QByteArray recordsOf(const QByteArray& line)
{
    QByteArray records;
    for (const char c : line)
        records += QByteArray(1, c) + "\r\n";
    return records + "\r\n" + line + "\r\n";
}

// The records of `content` that are not whole: every record must be one byte of a line
// sent, a CR's empty record, or a whole line sent; the content ends with a record's end.
QList<QByteArray> brokenRecords(const QByteArray& content, const QSet<QByteArray>& linesSent)
{
    QList<QByteArray> broken;
    QList<QByteArray> records = content.split('\n');
    if (!records.takeLast().isEmpty())
        broken.append("<the file ends inside a record>");
    for (QByteArray record : records) {
        if (!record.endsWith('\r')) {
            broken.append(record);
            continue;
        }
        record.chop(1);
        if (record.size() > 1 && !linesSent.contains(record))
            broken.append(record);
    }
    return broken;
}

// The real program in a throw-away profile, with COM1 linked to a module's pseudo-terminal,
// "Log Mode" saved on and captures going to a folder of the test's own. At start it asks
// for the capture file; the test hand (tests/support/hand) answers with the proposed name.
class RealProgramCapture : public ::testing::Test {
protected:
    void SetUp() override
    {
        profile.link(1, module.devicePath());
        profile.writeSettings(
            versionText(compiledVersion()),
            "[General]\nLog Mode=1\nLog Directory=" + QFile::encodeName(captures.path()) + "\n");
    }
    void TearDown() override
    {
        if (serivox.state() != QProcess::NotRunning) {
            serivox.kill();
            serivox.waitForFinished(patienceMs);
        }
    }

    // Starts the program with `soft` as its file-size limit.
    void start(rlim_t soft)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), profile.configHome());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("QT_PLUGIN_PATH"), QStringLiteral(SERIVOX_TEST_PLUGINS));
        env.insert(QStringLiteral("QT_QPA_GENERIC_PLUGINS"), "serivoxhand:" + handNotes());
        serivox.setProcessEnvironment(env);
        serivox.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        // Only the soft limit: the test may raise it again later, as the program's owner may.
        serivox.setChildProcessModifier([soft] {
            rlimit limit{};
            ::getrlimit(RLIMIT_FSIZE, &limit);
            limit.rlim_cur = soft;
            ::setrlimit(RLIMIT_FSIZE, &limit);
        });
        serivox.start(QStringLiteral(SERIVOX_BINARY), {});
    }

    QString handNotes() const { return QDir(notes.path()).filePath(QStringLiteral("hand")); }
    bool handNoted(const QByteArray& line) const
    {
        return contentOf(handNotes()).split('\n').contains(line);
    }
    // The capture file the program made in the captures folder, once there is one.
    QString captureFile() const
    {
        const QStringList files = QDir(captures.path()).entryList({"*.csv"}, QDir::Files);
        return files.size() == 1 ? QDir(captures.path()).filePath(files.first()) : QString();
    }
    // Waits for `condition`, or for the program to end; false if it never held.
    bool waitFor(const std::function<bool()>& condition)
    {
        return QTest::qWaitFor([&] { return condition() || !running(); }, patienceMs) &&
               running() && condition();
    }
    bool running() const { return serivox.state() != QProcess::NotRunning; }
    std::string howItEnded() const
    {
        if (running())
            return "still running";
        // After a crash, the exit code is the number of the signal that ended it.
        return serivox.exitStatus() == QProcess::CrashExit
                   ? std::string("ended by ") + ::strsignal(serivox.exitCode())
                   : "ended with code " + std::to_string(serivox.exitCode());
    }

    TestProfile profile;
    PtyPeer module;
    QTemporaryDir captures;
    QTemporaryDir notes;
    QProcess serivox;
};

TEST_F(RealProgramCapture, AFileSizeLimitFailsTheWriteInsteadOfEndingTheProgram)
{
    start(fileSizeLimit);
    ASSERT_TRUE(serivox.waitForStarted(patienceMs));
    ASSERT_TRUE(waitFor([&] { return !captureFile().isEmpty(); }))
        << "no capture started: " << howItEnded();
    const QString capture = captureFile();

    // Lines of records enough for twice the limit.
    QSet<QByteArray> linesSent;
    QByteArray bytes;
    while (bytes.size() * 4 < 2 * qsizetype(fileSizeLimit)) {
        const QByteArray line =
            "L" + QByteArray::number(linesSent.size()).rightJustified(4, '0') + QByteArray(59, 'x');
        linesSent.insert(line);
        bytes += line + '\r';
    }
    module.send(bytes);
    ASSERT_TRUE(waitFor([&] {
        return handNoted("message Unable to Write Log File " + QFile::encodeName(capture));
    })) << "the write beyond the limit was not told: "
        << howItEnded();
    const QByteArray atTheLimit = contentOf(capture);
    EXPECT_LE(atTheLimit.size(), qsizetype(fileSizeLimit));
    EXPECT_EQ(brokenRecords(atTheLimit, linesSent), QList<QByteArray>{});

    // The limit is lifted: the capture goes on by itself.
    rlimit limit{};
    ASSERT_EQ(::prlimit(pid_t(serivox.processId()), RLIMIT_FSIZE, nullptr, &limit), 0);
    limit.rlim_cur = limit.rlim_max;
    ASSERT_EQ(::prlimit(pid_t(serivox.processId()), RLIMIT_FSIZE, &limit, nullptr), 0);
    linesSent.insert("after");
    module.send("after\r");
    ASSERT_TRUE(waitFor([&] { return contentOf(capture).endsWith(recordsOf("after")); }))
        << "the capture did not go on: " << howItEnded();
    EXPECT_EQ(brokenRecords(contentOf(capture), linesSent), QList<QByteArray>{});

    // Asked to stop, it saves the run's settings, every value of them.
    const QString settings = profile.settingsFile(versionText(compiledVersion()));
    ::kill(pid_t(serivox.processId()), SIGTERM);
    ASSERT_TRUE(serivox.waitForFinished(patienceMs));
    EXPECT_EQ(howItEnded(), "ended with code 0");
    const QSettings saved(settings, QSettings::IniFormat);
    EXPECT_EQ(saved.value("Baud Rate").toString(), "115200") << contentOf(settings).toStdString();
    EXPECT_EQ(saved.value("Log Mode").toString(), "1");
}

} // namespace
