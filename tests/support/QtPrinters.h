#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <ostream>

// How failing expectations show Qt values: bytes as hex, texts with their control
// characters visible.
inline void PrintTo(const QByteArray& bytes, std::ostream* os)
{
    *os << '[' << bytes.toHex(' ').toUpper().toStdString() << ']';
}

inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"';
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            *os << "\\x" << QString::asprintf("%02X", c.unicode()).toStdString();
        else
            *os << QString(c).toStdString();
    }
    *os << '"';
}

inline void PrintTo(const QStringList& list, std::ostream* os)
{
    *os << '{';
    for (qsizetype i = 0; i < list.size(); ++i) {
        if (i > 0)
            *os << ", ";
        PrintTo(list[i], os);
    }
    *os << '}';
}
