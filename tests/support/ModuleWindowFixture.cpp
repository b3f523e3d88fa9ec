#include "ModuleWindowFixture.h"

#include "UucpLocks.h"

#include <QAbstractItemView>
#include <QTest>

#ifndef SERIVOX_MODULE_BINARY
#error "SERIVOX_MODULE_BINARY names the simulated module's program"
#endif

void ModuleWindowFixture::SetUp()
{
    startModule();
    if (HasFatalFailure())
        return;
    TerminalPlatform platform = profile.platform(clock);
    platform.pause = realPause();
    window = std::make_unique<TMain>(std::move(platform), &prompts);
}

void ModuleWindowFixture::startModule()
{
    module =
        std::make_unique<ModuleProcess>(QStringLiteral(SERIVOX_MODULE_BINARY), moduleOptions());
    QString why;
    ASSERT_TRUE(module->start(&why)) << why.toStdString();
    ASSERT_EQ(module->com(), 1);
    // Another test program may be letting go of a pseudo-terminal with this number right now:
    // its port is closed before its lock file is removed, and meanwhile the window would find
    // the port in use.
    ASSERT_TRUE(eventually([&] { return UucpLocks().liveHolder(module->devicePath()) == 0; }))
        << module->devicePath().toStdString() << " stays locked";
    shownFrom = 0;
}

void ModuleWindowFixture::TearDown()
{
    window.reset(); // lets go of the port before the module goes away
    module.reset();
}

ModuleProcess::Options ModuleWindowFixture::moduleOptions() const
{
    ModuleProcess::Options options;
    options.portsDir = profile.portsDir();
    // It greets at power on, and the line must run at its UART's speed, as with hardware.
    options.extraArguments = {"--banner", "--baud-strict"};
    return options;
}

bool ModuleWindowFixture::eventually(const std::function<bool()>& condition, int timeoutMs)
{
    return QTest::qWaitFor(condition, timeoutMs);
}

QStringList ModuleWindowFixture::shownLines() const
{
    const QAbstractItemModel* model = control<QAbstractItemView>("ListBox1")->model();
    QStringList lines;
    for (int row = 0; row < model->rowCount(); ++row)
        lines.append(model->index(row, 0).data().toString());
    return lines;
}

std::optional<QString> ModuleWindowFixture::waitForLineStarting(const QString& start)
{
    std::optional<QString> found;
    eventually([&] {
        for (const QString& line : shownLines())
            if (line.startsWith(start)) {
                found = line;
                return true;
            }
        return false;
    });
    return found;
}

bool ModuleWindowFixture::waitForReceived(const QByteArray& bytes, qsizetype from)
{
    return eventually([&] { return module->received().indexOf(bytes, from) >= 0; });
}

::testing::AssertionResult ModuleWindowFixture::waitUntilShowingAllSent()
{
    const auto expected = [this] {
        return linesShownFor(module->sent().mid(shownFrom), showingHex);
    };
    if (eventually([&] { return shownLines() == expected(); }))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "the window shows\n  " << shownLines().join("\n  ").toStdString()
           << "\nthe module sent\n  " << expected().join("\n  ").toStdString();
}

void ModuleWindowFixture::clearTerminal()
{
    ASSERT_TRUE(waitUntilShowingAllSent());
    click("Clear2");
    shownFrom = module->sent().size();
}

QString textShownFor(unsigned char byte, bool hexMode)
{
    const auto code = [byte](const char* format) {
        return QString::asprintf(format, unsigned(byte));
    };
    if (hexMode)
        return code("%.2X ");
    if (byte == '\r' || byte == '\n')
        return {};
    if (byte >= 0x20 && byte <= 0x7F)
        return QString(QLatin1Char(char(byte)));
    return code("<%.2X>");
}

QStringList linesShownFor(const QByteArray& received, bool hexMode)
{
    if (received.isEmpty())
        return {};
    QStringList lines{QString()};
    for (const char c : received) {
        lines.last() += textShownFor(static_cast<unsigned char>(c), hexMode);
        if (c == '\r')
            lines.append(QString());
    }
    return lines;
}

QByteArray captureFor(const QByteArray& received, bool hexMode)
{
    QByteArray file;
    QString line;
    for (const char c : received) {
        const QString text = textShownFor(static_cast<unsigned char>(c), hexMode);
        file += text.toLatin1() + "\r\n";
        line += text;
        if (c == '\r') {
            file += line.toLatin1() + "\r\n";
            line.clear();
        }
    }
    return file;
}
