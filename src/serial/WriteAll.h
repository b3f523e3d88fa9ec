#pragma once

#include <QByteArrayView>

// Writes every byte to `fd`, again after a signal and after a short write. False when the
// file takes no more: errno says why (EIO for a write that took nothing).
bool writeAll(int fd, QByteArrayView bytes);
