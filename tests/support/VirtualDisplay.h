#pragma once

#include <QProcess>
#include <QString>

// An X display of its own (Xvfb) on which the real program runs with its real platform
// plugin, and on which a person's keys and pointer are played with xdotool: input that comes
// the way a desktop's does, through the program's event queue.
class VirtualDisplay {
public:
    VirtualDisplay();
    ~VirtualDisplay();
    VirtualDisplay(const VirtualDisplay&) = delete;
    VirtualDisplay& operator=(const VirtualDisplay&) = delete;

    // ":N", or empty when Xvfb could not start.
    const QString& name() const { return m_name; }
    // Runs xdotool on the display with these arguments; true when it succeeded.
    bool xdotool(const QStringList& arguments) const;

private:
    QProcess m_server;
    QString m_name;
};
