#pragma once

#include <QAbstractItemDelegate>
#include <QFont>
#include <QImage>
#include <QRawFont>
#include <array>
#include <limits>
#include <map>
#include <tuple>

class TerminalLines;

// Paints the rows of the terminal list in its fixed-pitch font: each character in a cell of
// its own, and only the characters of the columns in view, taken from the lines as a slice.
// Nothing lays out, shapes or elides a whole line, so a row costs the same to paint whether
// its line holds ten characters or a hundred million.
//
// Control characters are drawn as visible symbols (ESC as U+241B, CR as U+240D...), so an
// escape sequence or a stray line feed can be seen where it is; the lines keep the characters
// as received, for copying and capture.
class TerminalRowDelegate : public QAbstractItemDelegate {
    Q_OBJECT
public:
    explicit TerminalRowDelegate(const TerminalLines& lines, QObject* parent = nullptr);

    // Space left of the first character.
    static constexpr int textMargin = 2;

    // The symbols drawn for the characters of `text`, as ByteRendering's drawnCharacter maps
    // each one: control pictures for C0 controls and DEL, a replacement character for C1
    // controls and lone halves of a surrogate pair, and the character itself otherwise.
    static QString shownText(QStringView text);

    // The width of one cell in this font.
    static int cellWidth(const QFont& font);
    // The width a row needs to show a line of this many characters, computed without
    // overflow and held to what a header section and a scroll bar can take.
    static int rowWidth(qint64 characters, int cellWidth);
    static constexpr int maximumRowWidth = std::numeric_limits<int>::max() / 2;

    // The columns of a line that fall inside [visibleLeft, visibleRight] when its first
    // character starts at textLeft.
    struct Columns {
        qint64 first = 0;
        qint64 count = 0;
    };
    static Columns columnsInView(qint64 textLeft, int visibleLeft, int visibleRight, int cellWidth,
                                 qint64 lineLength);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    struct FontCells {
        QFont font;
        QRawFont raw;
        int width = 0;
        qreal ascent = 0;
        qreal height = 0;
        // The glyph drawn for each 8-bit character, 0 where it is drawn some other way (a
        // control picture, or a character the font lacks): received text is 8-bit, and
        // looking its glyphs up here skips the font's character map for every row.
        std::array<quint32, 256> eightBitGlyphs{};
    };
    const FontCells& cellsFor(const QFont& font) const;
    // Draws `text` from `origin` on, each character in a cell of its own.
    void drawCharacters(QPainter* painter, const QStyleOptionViewItem& option, QPointF origin,
                        const QString& text) const;
    // The glyph of each character of `text` in the font, 0 for one drawn outside it.
    void glyphsFor(const FontCells& cells, const QString& text, QList<quint32>& glyphs) const;
    void drawOutsideTheFont(QPainter* painter, const QFont& font, QPointF cellOrigin, int cellWidth,
                            QChar c) const;
    void drawControlPicture(QPainter* painter, const QFont& font, QPointF cellOrigin, int cellWidth,
                            QChar c) const;
    static QImage controlPicture(const QFont& font, QSizeF cell, qreal scale, const QColor& colour,
                                 QChar c);

    const TerminalLines& m_lines;
    mutable FontCells m_cells;
    using PictureKey = std::tuple<char16_t, QRgb, int>; // character, colour, pixel ratio
    mutable std::map<PictureKey, QImage> m_pictures;
    // Kept from row to row, so that painting a row allocates nothing.
    mutable QList<quint32> m_glyphs;
    mutable QList<quint32> m_runGlyphs;
    mutable QList<QPointF> m_runPositions;
};
