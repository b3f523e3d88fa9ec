#pragma once

#include <QString>
#include <QtGlobal>

// The program's own version: four numbers, as its build states them.
struct FileVersion {
    quint16 major = 0;
    quint16 minor = 0;
    quint16 release = 0;
    quint16 build = 0;
};

// The version this program was built as.
FileVersion compiledVersion();

// The version as the program shows it and names its settings by: major "." minor with at
// least two digits, then a letter for a release above 0 (1 gives "A", 2 gives "B"). The
// build number is left out: 1.10.0.0 gives "1.10", 1.9.0.0 "1.09", 1.10.2.0 "1.10B".
QString versionText(const FileVersion& version);
