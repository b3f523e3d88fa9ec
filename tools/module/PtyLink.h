#pragma once

#include <QString>

// The module's end of a serial line: the master side of a pseudo-terminal, raw, with a link
// COMn in a ports folder pointing at its slave side. The slave side stays open here too, so
// the line keeps its settings and the master never sees a hang-up while the terminal closes
// and reopens the port. The link is removed when this object goes (if it still points here).
class PtyLink {
public:
    PtyLink() = default;
    ~PtyLink();
    PtyLink(const PtyLink&) = delete;
    PtyLink& operator=(const PtyLink&) = delete;

    // False, with error() saying why, when the pseudo-terminal or the link cannot be made.
    // An existing COMn is replaced only when it points nowhere (left by a module that was
    // killed) or when `replace` is set.
    bool open(const QString& portsDir, int com, bool replace);
    void removeLink();

    int master() const { return m_master; }
    int slave() const { return m_slave; }
    const QString& slavePath() const { return m_slavePath; }
    const QString& linkPath() const { return m_linkPath; }
    const QString& error() const { return m_error; }

    // The speed the terminal has set on the line; 0 when it cannot be read.
    int lineSpeed() const;

private:
    bool openPty();
    bool makeLink(const QString& portsDir, int com, bool replace);
    bool fail(const QString& why);

    int m_master = -1;
    int m_slave = -1;
    QString m_slavePath;
    QString m_linkPath;
    QString m_error;
};

// The user's ports folder: $XDG_CONFIG_HOME/Serivox/ports, else ~/.config/Serivox/ports, found
// as the terminal finds it.
QString defaultPortsDir();
