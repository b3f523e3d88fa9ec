#include "ModuleOptions.h"

#include "LoadStream.h"
#include "SimulatedDevices.h"

#include <QCommandLineParser>

namespace {

struct Option {
    const char* name;
    const char* valueName; // nullptr for a flag
    const char* description;
};

const Option table[] = {
    {"ports", "DIR",
     "The ports folder (default: $XDG_CONFIG_HOME/Serivox/ports, else "
     "~/.config/Serivox/ports)."},
    {"com", "N", "The port number, 1 to 100: the link is <ports>/COM<N> (default 1)."},
    {"replace", nullptr, "Replace an existing COM<N> link that points at a device."},
    {"log", "FILE", "Append the byte log to FILE (default: standard error)."},
    {"guard-ms", "N", "The silence before and after \"+++\", in milliseconds (default 1000)."},
    {"time-scale", "F", "Multiply simulated durations, such as an inquiry's seconds (default 1)."},
    {"stop-with-parent", nullptr,
     "Stop (and remove the link) when the process that started the module ends, even if it "
     "is killed: for test harnesses and scripts."},
    {"banner", nullptr, "Send the boot banner and READY. at start, as a module powering up."},
    {"baud-follow", nullptr,
     "Take the speed the terminal sets on the line as the module's UART "
     "speed."},
    {"baud-strict", nullptr,
     "Garble every byte both ways while the line's speed differs from the "
     "module's UART speed (SET CONTROL BAUD), as a real line would."},
    {"load", nullptr, "Stream numbered lines (load mode, for benchmarks)."},
    {"line-rate", "N", "Load mode: lines per second (default 100)."},
    {"line-length", "N", "Load mode: bytes per line, CR LF included (default 80, at least 11)."},
    {"lines", "N", "Load mode: stop after N lines (default: never)."},
};

const char* description =
    R"(Plays a radio module on a pseudo-terminal linked as COM<N> in a ports folder.
Once the link exists it prints one line:
  serivox-module: COM<N> -> <device> (link <link>)
and runs until it gets SIGTERM, SIGINT or SIGHUP, then removes its link.

It answers iWRAP-style commands (SET, RESET, INQUIRY, CALL, LIST, CLOSE, PIO, SET CONTROL MUX,
...) and AT-style commands (lines starting "AT"). After CALL it is in data mode and echoes what
it gets until "+++" with the guard silence on both sides. SET CONTROL MUX 1 switches to
multiplexing frames (0xBF link 00 length data link^0xFF); commands go on link FF.
SET CONTROL BAUD changes the module's UART speed (shown by SET); a pseudo-terminal carries
any speed, so the terminal and the module agree whatever they set unless --baud-strict.

The byte log has one line per chunk: "RX <hex>  |<text>|" for what arrived, "TX ..." for
what was sent, and "-- ..." for events (mode changes, rejected frames).

Simulated devices (inquiries find them; CALL <address> 1101 RFCOMM, a channel or a 128-bit
UUID connects; CALL <address> 11 HID connects):
)";

// The words of `text` in lines of at most 96 characters, every line after the first indented.
QString wrapped(const QString& text, int indent)
{
    constexpr int width = 96;
    QString result;
    int column = indent;
    for (const QString& word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (column > indent && column + 1 + word.size() > width) {
            result += QLatin1Char('\n') + QString(indent, QLatin1Char(' '));
            column = indent;
        } else if (column > indent) {
            result += QLatin1Char(' ');
            ++column;
        }
        result += word;
        column += int(word.size());
    }
    return result;
}

} // namespace

QString moduleHelpText()
{
    QString text =
        QStringLiteral("Usage: serivox-module [options]\n\n") + QLatin1String(description);
    for (const SimulatedDevice& device : simulatedDevices())
        text += QStringLiteral("  %1  class %2  \"%3\"\n")
                    .arg(QLatin1String(device.address), QLatin1String(device.deviceClass),
                         QLatin1String(device.name));
    text += QStringLiteral("\nOptions:\n");
    for (const Option& option : table) {
        QString name = QStringLiteral("--") + QLatin1String(option.name);
        if (option.valueName)
            name += QLatin1Char(' ') + QLatin1String(option.valueName);
        text += QStringLiteral("  %1  ").arg(name, -18) +
                wrapped(QLatin1String(option.description), 22) + QLatin1Char('\n');
    }
    return text;
}

ParsedOptions parseModuleOptions(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.addOption(QCommandLineOption(QStringList{QStringLiteral("h"), QStringLiteral("help")}));
    for (const Option& option : table)
        parser.addOption(option.valueName
                             ? QCommandLineOption(QLatin1String(option.name), QString(),
                                                  QLatin1String(option.valueName))
                             : QCommandLineOption(QLatin1String(option.name)));
    ParsedOptions parsed;
    if (!parser.parse(arguments)) {
        parsed.error = parser.errorText();
        return parsed;
    }
    if (!parser.positionalArguments().isEmpty()) {
        parsed.error =
            QStringLiteral("unexpected argument: ") + parser.positionalArguments().first();
        return parsed;
    }
    parsed.help = parser.isSet(QStringLiteral("help"));
    ModuleOptions& o = parsed.options;
    const auto number = [&](const char* name, double low, double high, auto& field) {
        if (!parser.isSet(QLatin1String(name)) || !parsed.error.isEmpty())
            return;
        bool ok = false;
        const double value = parser.value(QLatin1String(name)).toDouble(&ok);
        if (!ok || value < low || value > high)
            parsed.error = QStringLiteral("--%1 wants a number from %2 to %3")
                               .arg(QLatin1String(name))
                               .arg(low, 0, 'g', 12)
                               .arg(high, 0, 'g', 12);
        else
            field = static_cast<std::remove_reference_t<decltype(field)>>(value);
    };
    o.portsDir = parser.value(QStringLiteral("ports"));
    o.logFile = parser.value(QStringLiteral("log"));
    o.replace = parser.isSet(QStringLiteral("replace"));
    o.banner = parser.isSet(QStringLiteral("banner"));
    o.stopWithParent = parser.isSet(QStringLiteral("stop-with-parent"));
    o.baudFollow = parser.isSet(QStringLiteral("baud-follow"));
    o.baudStrict = parser.isSet(QStringLiteral("baud-strict"));
    o.load = parser.isSet(QStringLiteral("load"));
    number("com", 1, 100, o.com);
    number("guard-ms", 0, 60000, o.guardMs);
    number("time-scale", 0, 1000, o.timeScale);
    number("line-rate", 0.001, 1e6, o.lineRate);
    number("line-length", LoadStream::shortestLine, 1 << 20, o.lineLength);
    number("lines", 0, 1e12, o.lines);
    return parsed;
}
