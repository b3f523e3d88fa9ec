#include "TerminalRowDelegate.h"

#include "ByteRendering.h"
#include "TerminalLines.h"

#include <QAbstractItemView>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>

namespace {

QPalette::ColorGroup colourGroup(const QStyleOptionViewItem& option)
{
    if (!option.state.testFlag(QStyle::State_Enabled))
        return QPalette::Disabled;
    return option.state.testFlag(QStyle::State_Active) ? QPalette::Active : QPalette::Inactive;
}

// The part of the row that can be seen: a row of a long line is far wider than the view.
QRect visiblePart(const QPainter& painter, const QStyleOptionViewItem& option)
{
    QRect visible = option.rect;
    if (const auto* view = qobject_cast<const QAbstractItemView*>(option.widget))
        visible &= view->viewport()->rect();
    if (painter.hasClipping())
        visible &= painter.clipBoundingRect().toAlignedRect();
    return visible;
}

} // namespace

TerminalRowDelegate::TerminalRowDelegate(const TerminalLines& lines, QObject* parent)
    : QAbstractItemDelegate(parent), m_lines(lines)
{
}

QString TerminalRowDelegate::shownText(QStringView text)
{
    QString shown(text.size(), Qt::Uninitialized);
    std::transform(text.begin(), text.end(), shown.begin(), &drawnCharacter);
    return shown;
}

int TerminalRowDelegate::cellWidth(const QFont& font)
{
    return std::max(1, QFontMetrics(font).horizontalAdvance(QLatin1Char('M')));
}

int TerminalRowDelegate::rowWidth(qint64 characters, int cellWidth)
{
    if (cellWidth <= 0 || characters >= maximumRowWidth / cellWidth)
        return maximumRowWidth;
    const qint64 cells = std::max<qint64>(characters, 0) + 1; // room after the last character
    return int(std::min<qint64>(cells * cellWidth + 2 * textMargin, maximumRowWidth));
}

TerminalRowDelegate::Columns TerminalRowDelegate::columnsInView(qint64 textLeft, int visibleLeft,
                                                                int visibleRight, int cellWidth,
                                                                qint64 lineLength)
{
    if (cellWidth <= 0 || lineLength <= 0 || visibleRight < textLeft || visibleRight < visibleLeft)
        return {};
    const qint64 first = std::max<qint64>(0, (visibleLeft - textLeft) / cellWidth);
    const qint64 last = std::min((visibleRight - textLeft) / cellWidth, lineLength - 1);
    if (last < first)
        return {};
    return {first, last - first + 1};
}

const TerminalRowDelegate::FontCells& TerminalRowDelegate::cellsFor(const QFont& font) const
{
    if (m_cells.width == 0 || m_cells.font != font) {
        const QFontMetricsF metrics(font);
        m_cells = {font, QRawFont::fromFont(font), cellWidth(font), metrics.ascent(),
                   metrics.height()};
        for (char16_t c = 0; c < m_cells.eightBitGlyphs.size(); ++c) {
            const QChar shown = drawnCharacter(QChar(c));
            quint32 glyph = 0;
            int count = 1;
            if (isControlPicture(shown) ||
                !m_cells.raw.glyphIndexesForChars(&shown, 1, &glyph, &count))
                glyph = 0;
            m_cells.eightBitGlyphs[c] = glyph;
        }
        m_pictures.clear();
    }
    return m_cells;
}

void TerminalRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                const QModelIndex& index) const
{
    const QRect visible = visiblePart(*painter, option);
    if (visible.isEmpty())
        return;
    const QPalette::ColorGroup group = colourGroup(option);
    const bool selected = option.state.testFlag(QStyle::State_Selected);
    painter->save();
    painter->setClipRect(visible, Qt::IntersectClip);
    if (selected)
        painter->fillRect(visible, option.palette.brush(group, QPalette::Highlight));
    painter->setPen(
        option.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));

    const FontCells& cells = cellsFor(option.font);
    const int width = cells.width;
    const qint64 textLeft = qint64(option.rect.left()) + textMargin;
    const Columns columns = columnsInView(textLeft, visible.left(), visible.right(), width,
                                          m_lines.lineLength(index.row()));
    if (columns.count > 0) {
        const qreal baseline = option.rect.top() +
                               std::round((option.rect.height() - cells.height) / 2) + cells.ascent;
        const QPointF origin(qreal(textLeft + columns.first * width), baseline);
        drawCharacters(painter, option, origin,
                       m_lines.slice(index.row(), columns.first, columns.count));
    }
    painter->restore();
}

// A row of 8-bit characters takes its glyphs from the table; any other row asks the font for
// the glyphs of the symbols it shows, and draws every character on its own where the font
// has no single glyph for each.
void TerminalRowDelegate::glyphsFor(const FontCells& cells, const QString& text,
                                    QList<quint32>& glyphs) const
{
    glyphs.resize(text.size());
    const bool eightBit =
        std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x100; });
    if (eightBit) {
        std::transform(text.begin(), text.end(), glyphs.begin(),
                       [&](QChar c) { return cells.eightBitGlyphs[c.unicode()]; });
        return;
    }
    const QString shown = shownText(text);
    int glyphCount = int(shown.size());
    if (!cells.raw.glyphIndexesForChars(shown.constData(), int(shown.size()), glyphs.data(),
                                        &glyphCount) ||
        glyphCount != shown.size())
        glyphs.fill(0);
    for (qsizetype i = 0; i < shown.size(); ++i)
        if (isControlPicture(shown[i]))
            glyphs[i] = 0;
}

// One glyph run with every glyph at its cell; a character the font lacks is drawn in its
// cell from another font, narrowed when it is wider than the cell.
void TerminalRowDelegate::drawCharacters(QPainter* painter, const QStyleOptionViewItem& option,
                                         QPointF origin, const QString& text) const
{
    const FontCells& cells = cellsFor(option.font);
    glyphsFor(cells, text, m_glyphs);
    m_runGlyphs.clear();
    m_runPositions.clear();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qreal x = qreal(i) * cells.width;
        if (m_glyphs[i] != 0) {
            m_runGlyphs.append(m_glyphs[i]);
            m_runPositions.append(QPointF(x, 0));
        } else {
            drawOutsideTheFont(painter, option.font, origin + QPointF(x, 0), cells.width,
                               drawnCharacter(text[i]));
        }
    }
    QGlyphRun run;
    run.setRawFont(cells.raw);
    run.setGlyphIndexes(m_runGlyphs);
    run.setPositions(m_runPositions);
    painter->drawGlyphRun(origin, run);
}

void TerminalRowDelegate::drawOutsideTheFont(QPainter* painter, const QFont& font,
                                             QPointF cellOrigin, int cellWidth, QChar c) const
{
    if (isControlPicture(c)) {
        drawControlPicture(painter, font, cellOrigin, cellWidth, c);
        return;
    }
    const QString text(c);
    const qreal advance = QFontMetricsF(font).horizontalAdvance(text);
    const qreal centre = cellOrigin.x() + cellWidth / 2.0;
    painter->save();
    painter->setFont(font);
    if (advance > cellWidth) {
        painter->translate(centre, 0);
        painter->scale(cellWidth / advance, 1);
        painter->translate(-centre, 0);
    }
    painter->drawText(QPointF(centre - advance / 2, cellOrigin.y()), text);
    painter->restore();
}

// The pictures of control characters are abbreviations set small (ESC as three tiny letters
// on a slant): drawn at the font's size they are specks. Their outline is stretched to fill
// the cell instead, so that they can be read. FreeMono and FreeSans (Debian's
// fonts-freefont-ttf) have them. Each picture is drawn once per colour and kept.
void TerminalRowDelegate::drawControlPicture(QPainter* painter, const QFont& font,
                                             QPointF cellOrigin, int cellWidth, QChar c) const
{
    const QFontMetricsF metrics(font);
    const QSizeF cell(cellWidth, metrics.ascent() + metrics.descent());
    const qreal scale = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
    const QColor colour = painter->pen().color();
    const PictureKey key{c.unicode(), colour.rgba(), int(scale * 100)};
    auto picture = m_pictures.find(key);
    if (picture == m_pictures.end())
        picture = m_pictures.emplace(key, controlPicture(font, cell, scale, colour, c)).first;
    painter->drawImage(QPointF(cellOrigin.x(), cellOrigin.y() - metrics.ascent()), picture->second);
}

QImage TerminalRowDelegate::controlPicture(const QFont& font, QSizeF cell, qreal scale,
                                           const QColor& colour, QChar c)
{
    QFont large = font;
    large.setFamilies({font.family(), QStringLiteral("FreeMono"), QStringLiteral("FreeSans")});
    large.setPixelSize(4 * std::max(font.pixelSize(), 8));
    QPainterPath outline;
    outline.addText(0, 0, large, QString(c));
    const QRectF ink = outline.boundingRect();

    QImage picture((cell * scale).toSize(), QImage::Format_ARGB32_Premultiplied);
    picture.setDevicePixelRatio(scale);
    picture.fill(Qt::transparent);
    const QRectF target = QRectF(QPointF(0, 0), cell).adjusted(0.5, 1, -0.5, -1);
    if (ink.isEmpty() || target.isEmpty())
        return picture;
    QTransform fit;
    fit.translate(target.left(), target.top());
    fit.scale(target.width() / ink.width(), target.height() / ink.height());
    fit.translate(-ink.left(), -ink.top());
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(fit.map(outline), colour);
    return picture;
}

QSize TerminalRowDelegate::sizeHint(const QStyleOptionViewItem& option,
                                    const QModelIndex& index) const
{
    return {rowWidth(m_lines.lineLength(index.row()), cellsFor(option.font).width),
            QFontMetrics(option.font).height()};
}
