#include "MuxFrameParser.h"

#include "MuxFraming.h"

namespace {

constexpr qsizetype headerSize = 4; // start, link, flags, length
constexpr qsizetype frameOverhead = headerSize + 1;

} // namespace

std::optional<MuxFrameParser::Result> MuxFrameParser::next()
{
    const auto rejectFirst = [this](qsizetype count, const QString& why) {
        Result rejected{false, 0, m_buffer.left(count), why, {}};
        m_buffer.remove(0, count);
        return rejected;
    };
    const qsizetype start = m_buffer.indexOf(char(mux::start));
    if (start != 0) {
        const qsizetype outside = start < 0 ? m_buffer.size() : start;
        if (outside == 0)
            return std::nullopt;
        return rejectFirst(outside, QStringLiteral("outside any frame"));
    }
    if (m_buffer.size() < headerSize)
        return std::nullopt;
    const auto at = [this](qsizetype i) { return static_cast<unsigned char>(m_buffer[i]); };
    // A damaged frame gives up only its start byte: a good frame may begin inside it.
    if (at(2) != mux::flags)
        return rejectFirst(1, QStringLiteral("flags not 00"));
    const qsizetype length = at(3);
    if (m_buffer.size() < frameOverhead + length)
        return std::nullopt;
    const int link = at(1);
    if (at(headerSize + length) != (link ^ 0xFF))
        return rejectFirst(1, QStringLiteral("check byte wrong"));
    Result frame{true, link, {}, {}, m_buffer.mid(headerSize, length)};
    m_buffer.remove(0, frameOverhead + length);
    return frame;
}

std::optional<MuxFrameParser::Result> MuxFrameParser::giveUpOnFrame()
{
    if (m_buffer.isEmpty())
        return std::nullopt;
    Result rejected{false, 0, m_buffer.left(1), QStringLiteral("frame unfinished"), {}};
    m_buffer.remove(0, 1);
    return rejected;
}

QByteArray MuxFrameParser::takeRest()
{
    QByteArray rest;
    rest.swap(m_buffer);
    return rest;
}

std::vector<MuxFrameParser::Result> MuxFrameParser::feed(const QByteArray& bytes)
{
    append(bytes);
    std::vector<Result> results;
    while (std::optional<Result> result = next())
        results.push_back(std::move(*result));
    return results;
}
