#include "FileKind.h"

#include <sys/stat.h>

std::optional<QString> notAFile(mode_t mode, const QString& purpose)
{
    const auto kind = [&]() -> const char* {
        switch (mode & S_IFMT) {
        case S_IFIFO: return "a named pipe";
        case S_IFCHR:
        case S_IFBLK: return "a device";
        case S_IFSOCK: return "a socket";
        default: return nullptr;
        }
    }();
    if (!kind)
        return std::nullopt;
    return QStringLiteral("It is %1, not a file: %2").arg(QLatin1String(kind), purpose);
}
