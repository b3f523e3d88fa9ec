#include "ProgramVersion.h"

FileVersion compiledVersion()
{
    return {SERIVOX_VERSION_MAJOR, SERIVOX_VERSION_MINOR, SERIVOX_VERSION_RELEASE,
            SERIVOX_VERSION_BUILD};
}

QString versionText(const FileVersion& version)
{
    QString text = QString::asprintf("%d.%.2d", version.major, version.minor);
    if (version.release > 0)
        text += QChar(ushort(64 + version.release));
    return text;
}
