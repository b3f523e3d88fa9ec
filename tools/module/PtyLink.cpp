#include "PtyLink.h"

#include "XdgFolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace {

struct Speed {
    speed_t code;
    int rate;
};
constexpr std::array speeds{
    Speed{B50, 50},           Speed{B75, 75},           Speed{B110, 110},
    Speed{B134, 134},         Speed{B150, 150},         Speed{B200, 200},
    Speed{B300, 300},         Speed{B600, 600},         Speed{B1200, 1200},
    Speed{B1800, 1800},       Speed{B2400, 2400},       Speed{B4800, 4800},
    Speed{B9600, 9600},       Speed{B19200, 19200},     Speed{B38400, 38400},
    Speed{B57600, 57600},     Speed{B115200, 115200},   Speed{B230400, 230400},
    Speed{B460800, 460800},   Speed{B500000, 500000},   Speed{B576000, 576000},
    Speed{B921600, 921600},   Speed{B1000000, 1000000}, Speed{B1152000, 1152000},
    Speed{B1500000, 1500000}, Speed{B2000000, 2000000}, Speed{B2500000, 2500000},
    Speed{B3000000, 3000000}, Speed{B3500000, 3500000}, Speed{B4000000, 4000000},
};

QString systemError() { return QString::fromLocal8Bit(std::strerror(errno)); }

} // namespace

QString defaultPortsDir() { return serivoxConfigFolder() + QStringLiteral("/ports"); }

PtyLink::~PtyLink()
{
    removeLink();
    if (m_slave >= 0)
        ::close(m_slave);
    if (m_master >= 0)
        ::close(m_master);
}

bool PtyLink::fail(const QString& why)
{
    m_error = why;
    return false;
}

bool PtyLink::open(const QString& portsDir, int com, bool replace)
{
    return openPty() && makeLink(portsDir, com, replace);
}

bool PtyLink::openPty()
{
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0)
        return fail(QStringLiteral("no pseudo-terminal: ") + systemError());
    m_slavePath = QString::fromLocal8Bit(::ptsname(m_master));
    m_slave = ::open(m_slavePath.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_slave < 0)
        return fail(m_slavePath + QStringLiteral(": ") + systemError());
    termios raw{};
    ::tcgetattr(m_slave, &raw);
    ::cfmakeraw(&raw);
    ::cfsetspeed(&raw, B115200);
    ::tcsetattr(m_slave, TCSANOW, &raw);
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
    return true;
}

bool PtyLink::makeLink(const QString& portsDir, int com, bool replace)
{
    if (!QDir().mkpath(portsDir))
        return fail(QStringLiteral("cannot make the ports folder ") + portsDir);
    const QString link = QDir(portsDir).filePath(QStringLiteral("COM%1").arg(com));
    const QFileInfo existing(link);
    if (existing.isSymLink() || existing.exists()) {
        // exists() follows the link: a link whose device is gone is a leftover.
        const bool leftover = existing.isSymLink() && !existing.exists();
        if (!leftover && !replace) {
            const QString what = existing.isSymLink() ? QStringLiteral(" already points at ") +
                                                            existing.symLinkTarget()
                                                      : QStringLiteral(" is already there");
            return fail(link + what +
                        QStringLiteral("; choose another number with --com, or --replace"));
        }
        if (!QFile::remove(link))
            return fail(QStringLiteral("cannot remove ") + link);
    }
    if (::symlink(m_slavePath.toLocal8Bit().constData(), link.toLocal8Bit().constData()) != 0)
        return fail(link + QStringLiteral(": ") + systemError());
    m_linkPath = link;
    return true;
}

void PtyLink::removeLink()
{
    if (m_linkPath.isEmpty())
        return;
    // Only our own link: another module may have taken the number since.
    char target[4096];
    const ssize_t n = ::readlink(m_linkPath.toLocal8Bit().constData(), target, sizeof target - 1);
    if (n > 0 && QString::fromLocal8Bit(target, n) == m_slavePath)
        ::unlink(m_linkPath.toLocal8Bit().constData());
    m_linkPath.clear();
}

int PtyLink::lineSpeed() const
{
    termios line{};
    if (m_slave < 0 || ::tcgetattr(m_slave, &line) != 0)
        return 0;
    const speed_t code = ::cfgetospeed(&line);
    for (const Speed& s : speeds)
        if (s.code == code)
            return s.rate;
    return 0;
}
