#pragma once

#include <QString>
#include <optional>
#include <sys/types.h>

// A path a person chooses (the file to capture to, the file to download) may name something
// other than a file: a named pipe waits for its other end, a device may give or take bytes
// without end, a socket is no file at all. For such a kind (`mode` as stat gives it), the
// reason it is refused: "It is a named pipe, not a file: " and `purpose`, which says what
// takes files only. Nothing for a plain file, or for a folder, whose use fails with the
// system's own reason.
std::optional<QString> notAFile(mode_t mode, const QString& purpose);
