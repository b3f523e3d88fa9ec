#include "ByteLog.h"

QByteArray ByteLog::chunkLine(const char* direction, const QByteArray& bytes)
{
    QByteArray text = bytes;
    for (char& c : text)
        if (c < 0x20 || c > 0x7E)
            c = '.';
    return QByteArray(direction) + ' ' + bytes.toHex(' ').toUpper() + "  |" + text + '|';
}

void ByteLog::write(const QByteArray& line)
{
    std::fwrite(line.constData(), 1, size_t(line.size()), m_file);
    std::fputc('\n', m_file);
    std::fflush(m_file);
}
