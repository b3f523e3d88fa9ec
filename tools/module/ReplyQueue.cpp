#include "ReplyQueue.h"

#include <algorithm>

void ReplyQueue::add(Piece piece)
{
    // After every piece due at the same time or earlier: equal times keep their order.
    const auto at = std::upper_bound(m_pieces.begin(), m_pieces.end(), piece.dueMs,
                                     [](qint64 due, const Piece& p) { return due < p.dueMs; });
    m_pieces.insert(at, std::move(piece));
}

void ReplyQueue::line(qint64 dueMs, const QString& text, Tag tag)
{
    add({dueMs, controlLink, text.toLatin1() + "\r\n", nullptr, tag});
}

void ReplyQueue::bytes(qint64 dueMs, int link, const QByteArray& bytes)
{
    add({dueMs, link, bytes, nullptr, Tag::none});
}

void ReplyQueue::action(qint64 dueMs, std::function<void()> then, Tag tag)
{
    add({dueMs, controlLink, QByteArray(), std::move(then), tag});
}

std::optional<ReplyQueue::Piece> ReplyQueue::takeNext(qint64 nowMs)
{
    if (m_pieces.empty() || m_pieces.front().dueMs > nowMs)
        return std::nullopt;
    Piece next = std::move(m_pieces.front());
    m_pieces.pop_front();
    return next;
}

qint64 ReplyQueue::nextDueMs() const { return m_pieces.empty() ? -1 : m_pieces.front().dueMs; }

void ReplyQueue::cancel(Tag tag)
{
    std::erase_if(m_pieces, [tag](const Piece& p) { return p.tag == tag; });
}

bool ReplyQueue::has(Tag tag) const
{
    return std::any_of(m_pieces.begin(), m_pieces.end(),
                       [tag](const Piece& p) { return p.tag == tag; });
}
