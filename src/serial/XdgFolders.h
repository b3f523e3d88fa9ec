#pragma once

#include <QString>

// The user's folders as the XDG base directory rules give them. Those rules allow only
// absolute paths in the XDG_* variables: a relative value is ignored, as if it were not set,
// so that what the program keeps never lands in whatever folder it was started from.
//
// The ports folder, the settings file and the simulated module all find the configuration
// folder here, so they always agree on it.

// $XDG_CONFIG_HOME/Serivox; ~/.config/Serivox when that variable is unset, empty or relative.
QString serivoxConfigFolder();

// $XDG_CACHE_HOME/Serivox; ~/.cache/Serivox when that variable is unset, empty or relative.
QString serivoxCacheFolder();

// Unsets every XDG_* folder variable that holds a relative path, so that the libraries the
// program uses (Qt's file dialog keeps its history in the configuration folder, the font
// cache lives in the cache folder) take the defaults too. Runs once, before they start.
void ignoreRelativeXdgFolders();
