#pragma once

#include <QByteArray>

// Wire bytes written the way people write them: "BF FF 00 03".
inline QByteArray hexBytes(const char* spaced) { return QByteArray::fromHex(spaced); }

// A text in the plain command form: CR, the text, CR, LF.
inline QByteArray plain(const QByteArray& text) { return "\r" + text + "\r\n"; }
