#include "FuzzPlatform.h"

#include "Harness.h"

#include <QDir>
#include <QFile>

namespace {

// COM1 leads to a path that exists; the device in memory never opens it.
QString portsWithMemoryCom1()
{
    static const QString folder = [] {
        const QString ports = fuzz::scratchFolder() + QStringLiteral("/ports");
        QDir().mkpath(ports);
        QFile::link(fuzz::scratchFolder(), ports + QStringLiteral("/COM1"));
        return ports;
    }();
    return folder;
}

} // namespace

TerminalPlatform fuzzPlatform(std::shared_ptr<MemoryLine> line, std::function<QDateTime()> now)
{
    TerminalPlatform platform;
    platform.portsDir = portsWithMemoryCom1();
    platform.settingsDir = fuzz::scratchFolder() + QStringLiteral("/settings");
    platform.listDevices = [] { return QList<PresentDevice>{}; };
    platform.pause = [](int) {};
    platform.now = std::move(now);
    platform.makeDevice = [line] { return std::make_unique<MemoryDevice>(line); };
    return platform;
}
