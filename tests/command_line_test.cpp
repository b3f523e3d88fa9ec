// The real program's command line, run as a person or a script runs it: what it prints on
// which stream and how it ends, with a display, with none, and with one that does not answer.
#include "ProgramVersion.h"
#include "PtyPeer.h"
#include "TestProfile.h"
#include "UucpLocks.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTest>
#include <csignal>
#include <gtest/gtest.h>

namespace {

enum class Display {
    None,      // neither X nor Wayland, and no platform chosen
    Offscreen, // Qt's platform that needs no display
    Silent,    // DISPLAY names an X display where no server runs
    X,         // a real X server (Xvfb)
};

enum class Outcome {
    Usage,     // the usage on standard output, exit 0
    Version,   // the version and licence lines on standard output, exit 0
    Mistake,   // a line naming the mistake, then the usage, on standard error; exit 2
    NoDisplay, // one line on standard error, exit 1
    Window,    // the window opens (it takes its port) and runs until asked to stop; exit 0
};

struct CommandLineCase {
    const char* name;
    QStringList arguments;
    Display display;
    Outcome outcome;
    const char* mistake = ""; // Outcome::Mistake: the first line on standard error
};

void PrintTo(const CommandLineCase& c, std::ostream* os) { *os << c.name; }

const QString usageFirstLine = QStringLiteral("Usage: serivox [options]");

QString settingsFileName()
{
    return QStringLiteral("Serivox V%1.ini").arg(versionText(compiledVersion()));
}

// An X server of the test's own, on a display number it chooses itself; it is ready once it
// has said which.
class XServer {
public:
    bool start()
    {
        m_process.start(QStringLiteral("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("1"),
                                                 QStringLiteral("-nolisten"), QStringLiteral("tcp"),
                                                 QStringLiteral("-screen"), QStringLiteral("0"),
                                                 QStringLiteral("1280x1024x24")});
        if (!m_process.waitForStarted(10000))
            return false;
        if (!QTest::qWaitFor([&] { return m_process.canReadLine() || !isRunning(); }, 30000))
            return false;
        m_display = QStringLiteral(":") + QString::fromLatin1(m_process.readLine().trimmed());
        return isRunning() && m_display.size() > 1;
    }
    ~XServer()
    {
        m_process.terminate();
        m_process.waitForFinished(10000);
    }
    const QString& display() const { return m_display; }

private:
    bool isRunning() const { return m_process.state() == QProcess::Running; }
    QProcess m_process;
    QString m_display;
};

// A display number where no X server listens.
QString silentDisplay()
{
    for (int n = 987;; ++n)
        if (!QFileInfo::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(n)))
            return QStringLiteral(":%1").arg(n);
}

class CommandLineTest : public ::testing::TestWithParam<CommandLineCase> {
protected:
    QProcessEnvironment environment(Display display)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* variable :
             {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_SESSION_TYPE"})
            env.remove(QLatin1String(variable));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), profile.configHome());
        switch (display) {
        case Display::None: break;
        case Display::Offscreen:
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
            break;
        case Display::Silent: env.insert(QStringLiteral("DISPLAY"), silentDisplay()); break;
        case Display::X: env.insert(QStringLiteral("DISPLAY"), xServer.display()); break;
        }
        return env;
    }

    // Runs the program to its end; a window is asked to stop once it has taken its port.
    void run(const CommandLineCase& c)
    {
        program.setProcessEnvironment(environment(c.display));
        program.start(QStringLiteral(SERIVOX_BINARY), c.arguments);
        ASSERT_TRUE(program.waitForStarted(10000));
        if (c.outcome == Outcome::Window) {
            const auto tookItsPort = [&] {
                return UucpLocks().liveHolder(module.devicePath()) == program.processId() ||
                       program.state() != QProcess::Running;
            };
            ASSERT_TRUE(QTest::qWaitFor(tookItsPort, 60000)) << "the window never opened";
            ASSERT_EQ(program.state(), QProcess::Running)
                << program.readAllStandardError().toStdString();
            ::kill(pid_t(program.processId()), SIGTERM);
        }
        ASSERT_TRUE(program.waitForFinished(60000));
    }

    TestProfile profile;
    PtyPeer module;
    XServer xServer;
    QProcess program;
};

TEST_P(CommandLineTest, PrintsOnItsStreamAndEndsWithItsStatus)
{
    const CommandLineCase& c = GetParam();
    if (c.display == Display::X && !xServer.start())
        GTEST_SKIP() << "no X server to try with (Xvfb)";
    profile.link(1, module.devicePath());
    run(c);
    const QString out = QString::fromLocal8Bit(program.readAllStandardOutput());
    const QString err = QString::fromLocal8Bit(program.readAllStandardError());

    ASSERT_EQ(program.exitStatus(), QProcess::NormalExit) << "ended by a signal";
    switch (c.outcome) {
    case Outcome::Usage:
        EXPECT_EQ(program.exitCode(), 0);
        EXPECT_TRUE(out.startsWith(usageFirstLine + '\n')) << out.toStdString();
        for (const QString& part :
             {QStringLiteral("--help"), QStringLiteral("--version"), QStringLiteral("ports/"),
              settingsFileName(), QStringLiteral("Exit status")})
            EXPECT_TRUE(out.contains(part)) << part.toStdString();
        EXPECT_EQ(err, "");
        break;
    case Outcome::Version:
        EXPECT_EQ(program.exitCode(), 0);
        EXPECT_EQ(out.split('\n').mid(0, 2),
                  (QStringList{"Serivox " + versionText(compiledVersion()),
                               "Copyright Serivox developers"}));
        EXPECT_TRUE(out.split('\n').value(2).startsWith("Licence GPL-3.0-or-later"))
            << out.toStdString();
        EXPECT_EQ(err, "");
        break;
    case Outcome::Mistake:
        EXPECT_EQ(program.exitCode(), 2);
        EXPECT_EQ(out, "");
        EXPECT_EQ(err.section('\n', 0, 0), QLatin1String(c.mistake));
        EXPECT_TRUE(err.contains('\n' + usageFirstLine + '\n')) << err.toStdString();
        break;
    case Outcome::NoDisplay:
        EXPECT_EQ(program.exitCode(), 1);
        EXPECT_EQ(out, "");
        EXPECT_TRUE(err.startsWith("serivox: no display to open the window on"))
            << err.toStdString();
        EXPECT_EQ(err.count('\n'), 1) << err.toStdString();
        EXPECT_TRUE(err.endsWith('\n'));
        break;
    case Outcome::Window:
        EXPECT_EQ(program.exitCode(), 0);
        EXPECT_EQ(out, "");
        break;
    }
}

using D = Display;
using O = Outcome;

INSTANTIATE_TEST_SUITE_P(
    Arguments, CommandLineTest,
    ::testing::Values(
        CommandLineCase{"HelpWithoutADisplay", {"--help"}, D::None, O::Usage},
        CommandLineCase{"ShortHelpWithASilentDisplay", {"-h"}, D::Silent, O::Usage},
        CommandLineCase{"HelpOffscreen", {"--help"}, D::Offscreen, O::Usage},
        CommandLineCase{"VersionWithoutADisplay", {"--version"}, D::None, O::Version},
        CommandLineCase{"ShortVersionWithASilentDisplay", {"-v"}, D::Silent, O::Version},
        CommandLineCase{
            "VersionAfterQtsOwnOption", {"-platform", "xcb", "--version"}, D::None, O::Version},
        CommandLineCase{"UnknownOptionWithoutADisplay",
                        {"--bogus"},
                        D::None,
                        O::Mistake,
                        "serivox: Unknown option 'bogus'."},
        CommandLineCase{"UnknownOptionOffscreen",
                        {"-x"},
                        D::Offscreen,
                        O::Mistake,
                        "serivox: Unknown option 'x'."},
        CommandLineCase{"UnknownOptionBeatsHelp",
                        {"--help", "--bogus"},
                        D::None,
                        O::Mistake,
                        "serivox: Unknown option 'bogus'."},
        CommandLineCase{"QtOptionWithoutItsValue",
                        {"-platform"},
                        D::Offscreen,
                        O::Mistake,
                        "serivox: Missing value after '-platform'."},
        CommandLineCase{"StrayArgument",
                        {"COM1"},
                        D::Offscreen,
                        O::Mistake,
                        "serivox: unexpected argument 'COM1'."},
        CommandLineCase{"NoDisplayAtAll", {}, D::None, O::NoDisplay},
        CommandLineCase{"AnXDisplayThatDoesNotAnswer", {}, D::Silent, O::NoDisplay},
        CommandLineCase{
            "XChosenWithoutAnXDisplay", {"-platform", "xcb"}, D::Offscreen, O::NoDisplay},
        CommandLineCase{"WindowOffscreen", {}, D::Offscreen, O::Window},
        CommandLineCase{
            "WindowOffscreenByQtsOption", {"-platform", "offscreen"}, D::None, O::Window},
        CommandLineCase{"WindowOnAnXDisplay", {}, D::X, O::Window}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
