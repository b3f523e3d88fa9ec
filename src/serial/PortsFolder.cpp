#include "PortsFolder.h"

#include "NetworkAddress.h"
#include "XdgFolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSerialPortInfo>
#include <QSet>
#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The path with every link followed, or an empty text when it leads nowhere: to nothing, or
// round a loop of links (which Qt's canonical path passes back unresolved).
QString canonical(const QString& path)
{
    char* real = ::realpath(QFile::encodeName(path).constData(), nullptr);
    if (!real)
        return {};
    const QString target = QFile::decodeName(real);
    std::free(real);
    return target;
}

// The devices the kernel uses as the system console (for example ttyS0 on a virtual
// machine): they are in use by the system and never get a number.
QSet<QString> consoleDevices()
{
    QSet<QString> names;
    QFile active(QStringLiteral("/sys/class/tty/console/active"));
    if (active.open(QIODevice::ReadOnly)) {
        const QString text = QString::fromLatin1(active.readAll());
        for (const QString& name : text.split(QLatin1Char(' '), Qt::SkipEmptyParts))
            names.insert(QStringLiteral("/dev/") + name.trimmed());
    }
    return names;
}

QHash<QString, QString> stableLinksByDevice()
{
    QHash<QString, QString> links;
    const QDir byId(QStringLiteral("/dev/serial/by-id"));
    for (const QFileInfo& entry : byId.entryInfoList(QDir::System | QDir::Files)) {
        const QString device = canonical(entry.absoluteFilePath());
        if (!device.isEmpty())
            links.insert(device, entry.absoluteFilePath());
    }
    return links;
}

// A link's target as written, or an empty text for an entry that is not a link. A network
// address is kept as it is, where a path would be made absolute.
QString linkText(const QString& entry)
{
    char target[4096];
    const ssize_t n = ::readlink(QFile::encodeName(entry).constData(), target, sizeof target);
    return n > 0 && size_t(n) < sizeof target ? QFile::decodeName(QByteArray(target, n)) : QString();
}

} // namespace

PortsFolder::PortsFolder(QString dir) : m_dir(std::move(dir)) {}

QString PortsFolder::defaultLocation() { return serivoxConfigFolder() + QStringLiteral("/ports"); }

QList<PresentDevice> PortsFolder::systemDevices()
{
    const QSet<QString> console = consoleDevices();
    const QHash<QString, QString> stable = stableLinksByDevice();
    QList<PresentDevice> devices;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        const QString path = info.systemLocation();
        if (console.contains(path))
            continue;
        QString description = info.description();
        if (!info.manufacturer().isEmpty() && !description.contains(info.manufacturer()))
            description = info.manufacturer() + QLatin1Char(' ') + description;
        devices.append({path, stable.value(path), description.trimmed()});
    }
    return devices;
}

QString PortsFolder::entryPath(int n) const
{
    if (!isPortNumber(n))
        return {};
    return m_dir + QStringLiteral("/COM") + QString::number(n);
}

QString PortsFolder::devicePath(int n) const
{
    const QString entry = entryPath(n);
    if (entry.isEmpty())
        return {};
    // A network port is there as far as the folder can tell: whether it answers, only
    // opening it shows.
    const QString target = linkText(entry);
    return NetworkAddress::isNetworkTarget(target) ? target : canonical(entry);
}

QString PortsFolder::linkTarget(int n) const
{
    const QFileInfo entry(entryPath(n));
    if (entry.isSymLink()) {
        const QString target = linkText(entry.filePath());
        return NetworkAddress::isNetworkTarget(target) ? target : entry.symLinkTarget();
    }
    return entry.exists() ? entry.absoluteFilePath() : QString();
}

QString PortsFolder::whyNoDevice(int n) const
{
    if (!isPortNumber(n))
        return QStringLiteral("There is no port number %1.").arg(n);
    const QString com = QStringLiteral("COM") + QString::number(n);
    const QFileInfo folder(m_dir);
    if (folder.exists() && !folder.isDir())
        return QStringLiteral("The ports folder %1 is not a folder, so no port has a device: "
                              "move it away and link %2 to a device in a folder of that name.")
            .arg(m_dir, com);
    const QString target = linkTarget(n);
    if (target.isEmpty())
        return QStringLiteral("No device is linked as %1 in %2.").arg(com, m_dir);
    struct stat st;
    if (::stat(QFile::encodeName(entryPath(n)).constData(), &st) != 0 && errno == ELOOP)
        return QStringLiteral("%1 is linked to %2, and the links from there go round in a loop: "
                              "link %1 to a device.")
            .arg(com, target);
    return QStringLiteral("%1 is linked to %2, which is not present: plug the device in, "
                          "or link %1 to another device.")
        .arg(com, target);
}

void PortsFolder::numberPresentDevices(const QList<PresentDevice>& devices)
{
    QSet<QString> numbered;    // devices that already have a number
    QSet<QString> linkTargets; // what the links point at, present or not
    int free = firstPort;
    for (int n = firstPort; n <= lastPort; ++n) {
        const QFileInfo entry(entryPath(n));
        if (!entry.isSymLink() && !entry.exists())
            continue;
        linkTargets.insert(entry.symLinkTarget());
        const QString device = canonical(entry.absoluteFilePath());
        if (!device.isEmpty())
            numbered.insert(device);
    }
    QDir().mkpath(m_dir);
    for (const PresentDevice& device : devices) {
        const QString real = canonical(device.systemPath);
        if (real.isEmpty())
            continue;
        m_descriptions.insert(real, device.description);
        const QString linkTo = device.stableLink.isEmpty() ? device.systemPath : device.stableLink;
        if (numbered.contains(real) || linkTargets.contains(linkTo))
            continue;
        while (free <= lastPort) {
            const QFileInfo entry(entryPath(free));
            if (!entry.isSymLink() && !entry.exists())
                break;
            ++free;
        }
        if (free > lastPort)
            return;
        QFile::link(linkTo, entryPath(free));
        numbered.insert(real);
    }
}

QString PortsFolder::describe(int n) const
{
    const QFileInfo entry(entryPath(n));
    if (!entry.isSymLink() && !entry.exists())
        return QStringLiteral("No device has this number");
    const QString network = linkText(entry.filePath());
    if (NetworkAddress::isNetworkTarget(network))
        return network + QStringLiteral(" (a port on the network)");
    const QString device = canonical(entry.absoluteFilePath());
    if (device.isEmpty())
        return entry.symLinkTarget() + QStringLiteral(" (not present)");
    const QString description = m_descriptions.value(device);
    QString text = entry.symLinkTarget();
    if (text != device)
        text += QStringLiteral(" -> ") + device;
    if (!description.isEmpty())
        text += QStringLiteral(" (") + description + QLatin1Char(')');
    return text;
}
