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

QChar TerminalRowDelegate::shownCharacter(QChar c) { return drawnCharacter(c); }

QString TerminalRowDelegate::shownText(QStringView text)
{
    QString shown(text.size(), Qt::Uninitialized);
    std::transform(text.begin(), text.end(), shown.begin(), &shownCharacter);
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
        m_cells = {font, QRawFont::fromFont(font), cellWidth(font)};
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

    const int width = cellsFor(option.font).width;
    const qint64 textLeft = qint64(option.rect.left()) + textMargin;
    const Columns columns = columnsInView(textLeft, visible.left(), visible.right(), width,
                                          m_lines.lineLength(index.row()));
    if (columns.count > 0) {
        const QFontMetricsF metrics(option.font);
        const qreal baseline = option.rect.top() +
                               std::round((option.rect.height() - metrics.height()) / 2) +
                               metrics.ascent();
        const QPointF origin(qreal(textLeft + columns.first * width), baseline);
        drawCharacters(painter, option, origin,
                       shownText(m_lines.slice(index.row(), columns.first, columns.count)));
    }
    painter->restore();
}

// One glyph run with every glyph at its cell; a character the font lacks is drawn in its
// cell from another font, narrowed when it is wider than the cell.
void TerminalRowDelegate::drawCharacters(QPainter* painter, const QStyleOptionViewItem& option,
                                         QPointF origin, const QString& shown) const
{
    const FontCells& cells = cellsFor(option.font);
    QList<quint32> glyphs(shown.size());
    int glyphCount = int(shown.size());
    if (!cells.raw.glyphIndexesForChars(shown.constData(), int(shown.size()), glyphs.data(),
                                        &glyphCount) ||
        glyphCount != shown.size())
        glyphs.fill(0);

    QList<quint32> inFont;
    QList<QPointF> positions;
    inFont.reserve(shown.size());
    positions.reserve(shown.size());
    for (qsizetype i = 0; i < shown.size(); ++i) {
        const qreal x = qreal(i) * cells.width;
        if (glyphs[i] != 0 && !isControlPicture(shown[i])) {
            inFont.append(glyphs[i]);
            positions.append(QPointF(x, 0));
        } else {
            drawOutsideTheFont(painter, option.font, origin + QPointF(x, 0), cells.width, shown[i]);
        }
    }
    QGlyphRun run;
    run.setRawFont(cells.raw);
    run.setGlyphIndexes(inFont);
    run.setPositions(positions);
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

bool TerminalRowDelegate::isControlPicture(QChar c) { return ::isControlPicture(c); }

QSize TerminalRowDelegate::sizeHint(const QStyleOptionViewItem& option,
                                    const QModelIndex& index) const
{
    return {rowWidth(m_lines.lineLength(index.row()), cellsFor(option.font).width),
            QFontMetrics(option.font).height()};
}
