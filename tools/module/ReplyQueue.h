#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <deque>
#include <functional>
#include <optional>

// What the module is going to send, each piece at its own time: replies at once, inquiry
// results seconds later. A piece may carry an action that runs when it goes out (entering
// data mode together with its CONNECT line).
class ReplyQueue {
public:
    // Where a piece goes in multiplexing mode: the control link or a data link.
    static constexpr int controlLink = 255;
    // Pieces that belong together, so that they can be called off together.
    enum class Tag { none, inquiry };

    struct Piece {
        qint64 dueMs = 0;
        int link = controlLink;
        QByteArray bytes;
        std::function<void()> action;
        Tag tag = Tag::none;
    };

    // A reply line, with its CR LF, on the control link.
    void line(qint64 dueMs, const QString& text, Tag tag = Tag::none);
    void bytes(qint64 dueMs, int link, const QByteArray& bytes);
    void action(qint64 dueMs, std::function<void()> then, Tag tag = Tag::none);

    // The first piece due by now, taken off the queue: pieces go in time order, and pieces
    // due at the same time in the order they were queued.
    std::optional<Piece> takeNext(qint64 nowMs);
    qint64 nextDueMs() const; // -1 when nothing waits
    void cancel(Tag tag);
    bool has(Tag tag) const;
    void clear() { m_pieces.clear(); }

private:
    void add(Piece piece);
    std::deque<Piece> m_pieces; // kept in time order
};
