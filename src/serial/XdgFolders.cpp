#include "XdgFolders.h"

#include <QDir>

namespace {

// The XDG variables that name a folder. XDG_CONFIG_DIRS and XDG_DATA_DIRS are lists, which
// their readers already check entry by entry.
constexpr const char* folderVariables[] = {"XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DATA_HOME",
                                           "XDG_STATE_HOME", "XDG_RUNTIME_DIR"};

// The variable's folder, or an empty text when the rules say to ignore it.
QString absoluteFolder(const char* variable)
{
    const QString value = qEnvironmentVariable(variable);
    return QDir::isAbsolutePath(value) ? value : QString();
}

// The variable's folder, else the given one in the home folder.
QString serivoxFolder(const char* variable, const char* inHome)
{
    QString home = absoluteFolder(variable);
    if (home.isEmpty())
        home = QDir::homePath() + QLatin1Char('/') + QLatin1StringView(inHome);
    return home + QStringLiteral("/Serivox");
}

} // namespace

QString serivoxConfigFolder() { return serivoxFolder("XDG_CONFIG_HOME", ".config"); }

QString serivoxCacheFolder() { return serivoxFolder("XDG_CACHE_HOME", ".cache"); }

void ignoreRelativeXdgFolders()
{
    for (const char* variable : folderVariables)
        if (qEnvironmentVariableIsSet(variable) && absoluteFolder(variable).isEmpty())
            qunsetenv(variable);
}
