#include "CommandLine.h"

#include "ProgramVersion.h"
#include "WindowSystem.h"

#include <QCommandLineParser>
#include <QStringList>
#include <cstdio>

namespace {

struct Option {
    const char* names;     // "h,help": a short and a long name, or a long one alone
    const char* valueName; // nullptr for a flag
    const char* description;
};

// Serivox's own options, then the options of Qt that it passes on.
const Option options[] = {
    {"h,help", nullptr, "Print this help and end."},
    {"v,version", nullptr, "Print the version and the licence, and end."},
    {"platform", "NAME",
     "Qt's platform plugin: xcb, wayland, offscreen (default: $QT_QPA_PLATFORM)."},
    {"display", "DISPLAY", "The X display to open the window on (default: $DISPLAY)."},
    {"style", "STYLE", "The widget style, such as Fusion."},
};

// %1: the settings file's name for this version; %2: the options, a line each.
const char* const usageTemplate = R"(Usage: serivox [options]

Opens the Serivox window: a serial terminal for configuring and testing radio modules
(iWRAP Bluetooth modules, AT Wi-Fi modules) over a UART or a USB serial adapter.

Options:
%2
Files:
  $XDG_CONFIG_HOME/Serivox/ports/ (default ~/.config/Serivox/ports/)
        The ports folder: COM<n> is a symbolic link to the device of port n. At start
        every serial device without a number gets the lowest free one.
  $XDG_CONFIG_HOME/Serivox/%1 (default ~/.config/Serivox/)
        The settings of this version: window placement, port, line settings, options and
        texts, read when the window first shows and written when it closes.

Exit status:
  0  the window was closed (or asked to stop by SIGTERM, SIGINT or SIGHUP), or --help
     or --version answered
  1  no display to open the window on
  2  a mistake on the command line
)";

QString optionLines()
{
    QString lines;
    for (const Option& option : options) {
        const QStringList names = QString::fromLatin1(option.names).split(QLatin1Char(','));
        QString shown = names.size() == 2 ? QStringLiteral("-%1, --%2").arg(names[0], names[1])
                                          : QStringLiteral("-") + names[0];
        if (option.valueName)
            shown += QLatin1Char(' ') + QLatin1String(option.valueName);
        lines +=
            QStringLiteral("  %1  %2\n").arg(shown, -18).arg(QLatin1String(option.description));
    }
    return lines;
}

QString usageText()
{
    return QString::fromLatin1(usageTemplate)
        .arg(QStringLiteral("Serivox V") + versionText(compiledVersion()) + QStringLiteral(".ini"),
             optionLines());
}

QString versionLines()
{
    return QStringLiteral("Serivox %1\nCopyright %2\nLicence %3 (%4); there is no warranty.\n")
        .arg(versionText(compiledVersion()), QStringLiteral(SERIVOX_COPYRIGHT),
             QStringLiteral(SERIVOX_LICENCE), QStringLiteral(SERIVOX_LICENCE_NAME));
}

void print(std::FILE* stream, const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
}

} // namespace

std::optional<int> answerCommandLine(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));

    QCommandLineParser parser;
    // Qt's options are written with one dash: -platform offscreen.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    for (const Option& option : options) {
        const QStringList names = QString::fromLatin1(option.names).split(QLatin1Char(','));
        parser.addOption(option.valueName
                             ? QCommandLineOption(names, QString(), QLatin1String(option.valueName))
                             : QCommandLineOption(names));
    }
    QString mistake;
    if (!parser.parse(arguments))
        mistake = parser.errorText();
    else if (!parser.positionalArguments().isEmpty())
        mistake = QStringLiteral("unexpected argument '%1'.").arg(parser.positionalArguments()[0]);
    if (!mistake.isEmpty()) {
        print(stderr, QStringLiteral("serivox: %1\n\n").arg(mistake) + usageText());
        return 2;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        print(stdout, usageText());
        return 0;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        print(stdout, versionLines());
        return 0;
    }
    if (!windowSystemStarts(argc, argv)) {
        print(stderr, QStringLiteral("serivox: ") + noWindowSystemReason() + QLatin1Char('\n'));
        return 1;
    }
    return std::nullopt;
}
