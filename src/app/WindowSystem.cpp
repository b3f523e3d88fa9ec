#include "WindowSystem.h"

#include <QGuiApplication>
#include <QStringList>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// In the child: start Qt's window system as the program would, then end at once. Qt's own
// messages about a failed start would only repeat the line the program prints, so the child
// says nothing.
[[noreturn]] void tryWindowSystem(int argc, char** argv)
{
    const int nowhere = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (nowhere >= 0) {
        ::dup2(nowhere, STDOUT_FILENO);
        ::dup2(nowhere, STDERR_FILENO);
    }
    QGuiApplication started(argc, argv);
    ::_exit(0);
}

} // namespace

bool windowSystemStarts(int argc, char** argv)
{
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child < 0)
        return true; // it cannot be tried first: Qt reports the failure itself
    if (child == 0)
        tryWindowSystem(argc, argv);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR)
            return true;
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

QString noWindowSystemReason()
{
    QStringList displays;
    for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY"}) {
        const QString value = qEnvironmentVariable(variable);
        if (!value.isEmpty())
            displays.append(QLatin1String(variable) + QLatin1Char('=') + value);
    }
    if (displays.isEmpty())
        return QStringLiteral(
            "no display to open the window on (DISPLAY and WAYLAND_DISPLAY are not set)");
    return QStringLiteral("no display to open the window on: none answers at ") +
           displays.join(QStringLiteral(", "));
}
