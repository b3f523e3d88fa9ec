#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <functional>

// A serial device that the system reports as present.
struct PresentDevice {
    QString systemPath;  // /dev/ttyUSB0
    QString stableLink;  // /dev/serial/by-id/usb-..., empty when the device has none
    QString description; // what the adapter says of itself, may be empty
};

using DeviceLister = std::function<QList<PresentDevice>()>;

// Which device is COM n: a per-user folder of links COM1..COM100, the way Windows keeps a
// COM number per adapter. A link whose target is missing is a port that is not there, and
// keeps its number for the adapter that comes back.
class PortsFolder {
public:
    static constexpr int firstPort = 1;
    static constexpr int lastPort = 100;

    explicit PortsFolder(QString dir = defaultLocation());

    // $XDG_CONFIG_HOME/Serivox/ports, by default ~/.config/Serivox/ports (XdgFolders.h).
    static QString defaultLocation();
    // The serial devices this machine has, without the system console.
    static QList<PresentDevice> systemDevices();

    const QString& dir() const { return m_dir; }
    static bool isPortNumber(int n) { return n >= firstPort && n <= lastPort; }

    // The folder entry for port n, or an empty text for a number outside 1..100.
    QString entryPath(int n) const;
    // The device behind port n, or an empty text when there is none.
    QString devicePath(int n) const;
    // What the entry for port n points at, present or not; empty when there is no entry.
    QString linkTarget(int n) const;
    // Why port n has no device (devicePath is empty), for a person to read.
    QString whyNoDevice(int n) const;
    // Gives every present device that has no number yet the lowest free one.
    void numberPresentDevices(const QList<PresentDevice>& devices);
    // What a person needs to tell the adapters apart: path and description.
    QString describe(int n) const;

private:
    QString m_dir;
    QHash<QString, QString> m_descriptions; // device path -> description
};
