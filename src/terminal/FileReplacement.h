#pragma once

#include <QByteArray>
#include <QString>

// Writing a small file whole, in one step: the new content goes into a temporary file beside
// the old one, which then takes the old one's name. A crash, a kill or a full disk during the
// write leaves the old file as it was.
//
// A file reached through links is written where it is: the links stay, and the new file
// keeps the old one's permissions and owner. That holds only when the links end at a plain
// file, or at a name not yet taken in a folder that exists: no folder is ever made, and a
// device, a named pipe, a socket or a folder at the end of the links is never written through
// or replaced.
//
// The temporaries are named after the file and six random characters ("x.ini.Ab12Cd"). The
// writer locks its temporary (flock) as soon as it has made it and holds the lock until the
// temporary has taken the file's place, so a temporary nobody holds a lock on was left by a
// write that was killed, and can go; a writer that finds its new temporary removed in the
// moment before it locked it starts again with another. The lock files Qt's settings class
// left beside such temporaries ("x.ini.Ab12Cd.lock"), locked the same way while in use, go by
// the same rule. So two instances of the program never take each other's files away.

// The file `path` leads to, through any links: the path to write; or, when it cannot be
// written, an empty path and the reason.
struct FileTarget {
    QString path;
    QString refusal;
};
FileTarget fileTarget(const QString& path);

// Puts `content` in the place of the file `path` leads to. False, with the reason in `why`,
// when it could not: the old file is then as it was and no temporary is left.
bool replaceFile(const QString& path, const QByteArray& content, QString* why = nullptr);

// Removes the temporaries and lock files that killed writes left beside the file `path`
// leads to. Those of a write in progress (another instance at its exit) stay.
void removeLeftoverTemporaries(const QString& path);
