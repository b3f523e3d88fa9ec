#pragma once

#include <QDir>
#include <QString>
#include <ostream>

// A case of something at a file's name that is not a file (a named pipe, a socket, a
// device), made in a test's folder, with the reason the program gives for refusing it.
struct NotAFile {
    const char* name;
    QString (*make)(const QDir& folder);
    const char* reason;
};

inline void PrintTo(const NotAFile& c, std::ostream* os) { *os << c.name; }
