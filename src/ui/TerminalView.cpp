#include "TerminalView.h"

#include "SteadyScrollBar.h"
#include "TerminalCore.h"
#include "TerminalRowDelegate.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QWheelEvent>
#include <algorithm>
#include <limits>
#include <utility>

namespace {

// The characters a key press types. Ctrl with a letter (or @ [ \ ] ^ _) types its control
// code: most platforms put it in the event's text already, some leave the plain letter
// there. Alt without Ctrl types nothing, so that menu mnemonics keep working; Ctrl with Alt
// is AltGr on some keyboards and types what the keyboard says. Delete types no character,
// though some platforms give it the text DEL (0x7F).
QString typedCharacters(const QKeyEvent& event)
{
    if (event.key() == Qt::Key_Delete)
        return {};
    const Qt::KeyboardModifiers mods = event.modifiers();
    const bool ctrl = mods.testFlag(Qt::ControlModifier);
    const bool alt = mods.testFlag(Qt::AltModifier);
    if (alt && !ctrl)
        return {};
    const int key = event.key();
    if (ctrl && !alt && key >= Qt::Key_At && key <= Qt::Key_Underscore)
        return QString(QChar(char16_t(key - Qt::Key_At)));
    return event.text();
}

// The scroll area lays its bars out anew after every change of a bar's range, and laying out
// raises both bars, which repaints them whole: once a frame while lines stream in. Only
// whether a bar is needed matters to the layout, so a range that stays open, with the value
// inside it, is set without telling anyone (nothing else listens).
void setRangeKeepingLayout(QScrollBar& bar, int maximum)
{
    const bool staysOpen =
        bar.minimum() == 0 && bar.maximum() > 0 && maximum > 0 && bar.value() <= maximum;
    const QSignalBlocker quiet(staysOpen ? &bar : nullptr);
    bar.setRange(0, maximum);
}

} // namespace

TerminalView::TerminalView(TerminalCore& core, QWidget* parent)
    : QTableView(parent), m_core(core), m_popup(new QMenu(this))
{
    setObjectName(QStringLiteral("ListBox1"));
    setAccessibleName(QStringLiteral("Terminal"));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setItemDelegate(new TerminalRowDelegate(m_core.lines(), this));
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setShowGrid(false);
    setWordWrap(false);
    horizontalHeader()->hide();
    verticalHeader()->hide();
    // The button where the headers meet is laid out by the table's own geometry, which never
    // runs here: left alone, it would show over the first rows.
    setCornerButtonEnabled(false);
    for (QAbstractButton* corner : findChildren<QAbstractButton*>(Qt::FindDirectChildrenOnly))
        corner->hide();
    setVerticalScrollBar(new SteadyScrollBar(Qt::Vertical, this));
    setHorizontalScrollBar(new SteadyScrollBar(Qt::Horizontal, this));

    QFont font(QStringLiteral("Courier"));
    font.setStyleHint(QFont::TypeWriter);
    font.setPixelSize(12);
    setFont(font);
    setModel(&m_core.list());
    viewport()->setAutoFillBackground(false);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    horizontalHeader()->setModel(nullptr);
    verticalHeader()->setModel(nullptr);

    m_popup->setObjectName(QStringLiteral("PopupMenu1"));
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { m_popup->popup(viewport()->mapToGlobal(at)); });
    connect(&m_core.options(), &DisplayOptions::coloursChanged, this, &TerminalView::applyColours);
    m_frame.setSingleShot(true);
    m_sinceFrame.start();
    connect(&m_frame, &QTimer::timeout, this, &TerminalView::showFrame);
    connect(&m_core.list(), &TerminalListModel::changed, this, &TerminalView::requestFrame);
    connect(&m_core.receiver(), &Receiver::scrollRequested, this, &TerminalView::scrollAtNextFrame);
    connect(&m_core.list(), &TerminalListModel::widestLineGrew, this,
            &TerminalView::fitColumnToText);
    connect(&m_core.list(), &QAbstractItemModel::modelReset, this, &TerminalView::fitColumnToText);
    applyColours();
}

void TerminalView::applyColours() { showColours(m_core.options().listColours()); }

void TerminalView::showColours(const ListColours& colours)
{
    QPalette p = palette();
    p.setColor(QPalette::Base, colours.background);
    p.setColor(QPalette::Text, colours.text);
    setPalette(p);
}

// A change after a quiet while shows at once; while changes keep coming, one frame every
// frame interval shows them all.
void TerminalView::requestFrame()
{
    if (m_frame.isActive())
        return;
    m_frame.start(int(std::max<qint64>(0, frameInterval() - m_sinceFrame.elapsed())));
}

int TerminalView::frameInterval() const
{
    const bool typedLately = m_sinceTyped.isValid() && m_sinceTyped.elapsed() < typedLatelyMs;
    return m_lastFrameScrolled && !typedLately ? scrollingFrameMs : frameMs;
}

void TerminalView::scrollAtNextFrame(int topLine)
{
    m_topLineWanted = topLine;
    requestFrame();
}

void TerminalView::showFrame()
{
    m_frame.stop();
    if (!isSeen()) {
        // Nothing is published or painted until the window shows again; then one frame
        // brings everything.
        m_frameOwed = true;
        return;
    }
    m_frameOwed = false;
    m_sinceFrame.restart();
    const int lastShownRow = model()->rowCount() - 1; // it may have grown since
    const int topBefore = topRow();
    m_changed = m_core.list().changeToPublish();
    {
        const SteadyScrollBar::Batch rowsAndScroll(verticalScrollBar());
        m_core.list().publish();
        if (m_topLineWanted >= 0)
            scrollToTopLine(std::exchange(m_topLineWanted, -1));
    }
    m_lastFrameScrolled = topRow() != topBefore;
    if (m_changed.row >= 0)
        repaintChangedRow(m_changed.row, m_changed.column);
    m_changed = {};
    repaintRowsFrom(lastShownRow + 1);
}

// What a line shows before the character it changed from is as it was: its row is repainted
// from that character on (a line typed or answered a few characters at a time repaints a few
// cells, not the row). A long line that only grew beyond the right edge is left alone; a
// selected row is repainted whole.
void TerminalView::repaintChangedRow(int row, qsizetype column)
{
    const QRect shown = visualRect(model()->index(row, 0)) & viewport()->rect();
    if (shown.isEmpty() || !showsFromColumn(row, column))
        return;
    if (selectionModel() && selectionModel()->isRowSelected(row, {})) {
        viewport()->update(shown);
        return;
    }
    QRect changed = shown;
    changed.setLeft(int(std::max<qint64>(0, columnLeft(column))));
    if (!changed.isEmpty())
        viewport()->update(changed);
}

// From one cell before, for a glyph that overhangs its cell.
qint64 TerminalView::columnLeft(qsizetype column) const
{
    return TerminalRowDelegate::textMargin - qint64(horizontalOffset()) +
           (std::max<qint64>(column, 1) - 1) * m_charWidth;
}

bool TerminalView::showsFromColumn(int row, qsizetype column) const
{
    if (selectionModel() && selectionModel()->isRowSelected(row, {}))
        return true;
    return columnLeft(column) < viewport()->width();
}

// The row a frame publishes as changed is repainted by the frame, after it has scrolled, and
// only when the change shows. Assistive technology hears of every change.
void TerminalView::dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                               const QList<int>& roles)
{
    if (topLeft != bottomRight || topLeft.row() != m_changed.row) {
        QAbstractItemView::dataChanged(topLeft, bottomRight, roles);
        return;
    }
#if QT_CONFIG(accessibility)
    if (QAccessible::isActive()) {
        QAccessibleTableModelChangeEvent changed(this,
                                                 QAccessibleTableModelChangeEvent::DataChanged);
        changed.setFirstRow(topLeft.row());
        changed.setLastRow(bottomRight.row());
        changed.setFirstColumn(topLeft.column());
        changed.setLastColumn(bottomRight.column());
        QAccessible::updateAccessibility(&changed);
    }
#endif
}

bool TerminalView::isSeen() const { return isVisible() && !window()->isMinimized(); }

void TerminalView::showEvent(QShowEvent* event)
{
    QAbstractItemView::showEvent(event);
    window()->installEventFilter(this); // once: installing again only moves it to the front
    if (m_frameOwed)
        requestFrame();
}

bool TerminalView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == window() && m_frameOwed &&
        (event->type() == QEvent::WindowStateChange || event->type() == QEvent::Show))
        requestFrame();
    return QAbstractItemView::eventFilter(watched, event);
}

// Scrolling moves what is on screen; only the rows from the last one shown before are
// painted anew.
void TerminalView::repaintRowsFrom(int row)
{
    const qint64 screenRow = std::max<qint64>(0, qint64(row) - topRow());
    if (screenRow < inkFitted().rows())
        repaintInkFrom(int(screenRow));
}

int TerminalView::inkRightOf(int row) const
{
    if (row < 0 || row >= rowCount())
        return 0;
    const int width = viewport()->width();
    if (selectionModel() && selectionModel()->isRowSelected(row, {}))
        return width;
    // One cell beyond the last character, for a glyph that overhangs its cell.
    const qint64 cells = m_core.lines().lineLength(row) + 1;
    const qint64 right =
        TerminalRowDelegate::textMargin - qint64(horizontalOffset()) + cells * m_charWidth;
    return int(std::clamp<qint64>(right, 0, width));
}

RowInk& TerminalView::inkFitted()
{
    const int rows = (viewport()->height() + rowHeight - 1) / rowHeight;
    if (!m_ink.fits(rows, viewport()->width()))
        m_ink.reset(rows, viewport()->width());
    return m_ink;
}

qint64 TerminalView::repaintInkFrom(int screenRow)
{
    RowInk& ink = inkFitted();
    QRegion stale;
    qint64 area = 0;
    // Neighbouring rows that reach equally far make one rectangle.
    int runTop = screenRow;
    int runRight = 0;
    for (int row = screenRow; row <= ink.rows(); ++row) {
        const int right =
            row < ink.rows() ? std::max(ink.right(row), inkRightOf(topRow() + row)) : -1;
        area += qint64(std::max(right, 0)) * rowHeight;
        if (right == runRight)
            continue;
        if (runRight > 0)
            stale += QRect(0, runTop * rowHeight, runRight, (row - runTop) * rowHeight);
        runTop = row;
        runRight = right;
    }
    viewport()->update(stale);
    return area;
}

qint64 TerminalView::inkArea()
{
    RowInk& ink = inkFitted();
    qint64 area = 0;
    for (int row = 0; row < ink.rows(); ++row)
        area += qint64(std::max(ink.right(row), inkRightOf(topRow() + row))) * rowHeight;
    return area;
}

// What a paint left in each row it reached: a row it covered as far as the row's old pixels
// reached holds only what was drawn now.
void TerminalView::noteInkPainted(const QRegion& region)
{
    RowInk& ink = inkFitted();
    const QRect bounds = region.boundingRect();
    const int first = std::max(0, bounds.top() / rowHeight);
    const int last = std::min(ink.rows() - 1, bounds.bottom() / rowHeight);
    for (int row = first; row <= last; ++row) {
        const QRect before(0, row * rowHeight, ink.right(row), rowHeight);
        ink.painted(row, inkRightOf(topRow() + row), (QRegion(before) - region).isEmpty());
    }
}

void TerminalView::scrollToTopLine(int topLine)
{
    const QModelIndex top = model()->index(topLine, 0);
    if (!top.isValid())
        return;
    // Rows just added are laid out lazily; the scroll range must know them first.
    executeDelayedItemsLayout();
    scrollTo(top, QAbstractItemView::PositionAtTop);
}

// Rows are put in view up and down only: what the user scrolled sideways to see stays.
void TerminalView::scrollTo(const QModelIndex& index, ScrollHint hint)
{
    if (!index.isValid() || index.model() != model())
        return;
    const int row = index.row();
    const int top = topRow();
    const int shown = rowsInView();
    int newTop = top;
    switch (hint) {
    case EnsureVisible:
        if (row < top)
            newTop = row;
        else if (row >= top + shown)
            newTop = row - shown + 1;
        break;
    case PositionAtTop: newTop = row; break;
    case PositionAtBottom: newTop = row - shown + 1; break;
    case PositionAtCenter: newTop = row - shown / 2; break;
    }
    verticalScrollBar()->setValue(newTop);
}

int TerminalView::rowCount() const { return model() ? model()->rowCount() : 0; }

int TerminalView::topRow() const { return verticalScrollBar()->value(); }

int TerminalView::rowsInView() const { return std::max(1, viewport()->height() / rowHeight); }

int TerminalView::rowAtY(int y) const
{
    const qint64 row = qint64(topRow()) + (y < 0 ? -1 : y / rowHeight);
    return row >= 0 && row < rowCount() ? int(row) : -1;
}

QRect TerminalView::visualRect(const QModelIndex& index) const
{
    if (!index.isValid() || index.model() != model())
        return {};
    // Far rows stay far outside the viewport without overflowing.
    constexpr qint64 far = std::numeric_limits<int>::max() / 4;
    const qint64 y =
        std::clamp<qint64>(qint64(index.row() - qint64(topRow())) * rowHeight, -far, far);
    return {-horizontalOffset(), int(y), m_columnWidth, rowHeight};
}

QModelIndex TerminalView::indexAt(const QPoint& point) const
{
    const int row = rowAtY(point.y());
    if (row < 0 || point.x() + horizontalOffset() >= m_columnWidth)
        return {};
    return model()->index(row, 0);
}

// Up and down a row or a page, Ctrl+Home and Ctrl+End to the ends; the rows have one
// column, so sideways moves stay where they are.
QModelIndex TerminalView::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers)
{
    const int rows = rowCount();
    if (rows == 0)
        return {};
    const QModelIndex current = currentIndex();
    if (!current.isValid())
        return model()->index(std::min(topRow(), rows - 1), 0);
    const bool ctrl = modifiers.testFlag(Qt::ControlModifier);
    qint64 row = current.row();
    switch (cursorAction) {
    case MoveUp:
    case MovePrevious: --row; break;
    case MoveDown:
    case MoveNext: ++row; break;
    case MovePageUp: row -= rowsInView(); break;
    case MovePageDown: row += rowsInView(); break;
    case MoveHome: row = ctrl ? 0 : row; break;
    case MoveEnd: row = ctrl ? rows - 1 : row; break;
    case MoveLeft:
    case MoveRight: break;
    }
    return model()->index(int(std::clamp<qint64>(row, 0, rows - 1)), 0);
}

int TerminalView::horizontalOffset() const { return horizontalScrollBar()->value(); }

int TerminalView::verticalOffset() const
{
    return int(std::min<qint64>(qint64(topRow()) * rowHeight, std::numeric_limits<int>::max()));
}

void TerminalView::setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command)
{
    const int rows = rowCount();
    if (rows == 0 || !selectionModel())
        return;
    const QRect area = rect.normalized();
    const auto rowOf = [&](int y) {
        return int(
            std::clamp<qint64>(qint64(topRow()) + (y < 0 ? -1 : y / rowHeight), 0, rows - 1));
    };
    const QItemSelection rowsTouched(model()->index(rowOf(area.top()), 0),
                                     model()->index(rowOf(area.bottom()), 0));
    selectionModel()->select(rowsTouched, command);
}

QRegion TerminalView::visualRegionForSelection(const QItemSelection& selection) const
{
    QRegion region;
    for (const QItemSelectionRange& range : selection) {
        const QRect first = visualRect(model()->index(range.top(), 0));
        const QRect last = visualRect(model()->index(range.bottom(), 0));
        region += QRect(first.topLeft(), last.bottomRight()) & viewport()->rect();
    }
    return region;
}

void TerminalView::updateGeometries()
{
    const int shown = rowsInView();
    QScrollBar* rows = verticalScrollBar();
    setRangeKeepingLayout(*rows, std::max(0, rowCount() - shown));
    // A scroll bar repaints whenever its steps are set, changed or not, and this runs with
    // every frame.
    if (rows->singleStep() != 1)
        rows->setSingleStep(1);
    if (rows->pageStep() != shown)
        rows->setPageStep(shown);
    const int width = viewport()->width();
    QScrollBar* sideways = horizontalScrollBar();
    setRangeKeepingLayout(*sideways, std::max(0, m_columnWidth - width));
    if (sideways->pageStep() != width)
        sideways->setPageStep(width);
    QAbstractItemView::updateGeometries();
}

// The vertical scroll bar counts rows. Rows moved up or down are copied where what they show
// fills most of the view; where it leaves most of the view empty (short lines), repainting
// the rows as far as their text reaches is cheaper, and so is handing that strip to the
// display rather than the whole view.
void TerminalView::scrollContentsBy(int dx, int dy)
{
    if (dx != 0) {
        viewport()->update();
        return;
    }
    const qint64 pixels = qint64(dy) * rowHeight;
    const qint64 viewArea = qint64(viewport()->width()) * viewport()->height();
    if (std::abs(pixels) >= viewport()->height() || 2 * inkArea() < viewArea) {
        repaintInkFrom(0);
        return;
    }
    viewport()->scroll(0, int(pixels));
    inkFitted().shift(dy);
}

void TerminalView::doItemsLayout() { QAbstractItemView::doItemsLayout(); }

void TerminalView::rowsInserted(const QModelIndex& parent, int start, int end)
{
    QAbstractItemView::rowsInserted(parent, start, end);
    updateGeometries();
    // Rows added below the view change nothing on screen.
    repaintRowsFrom(start);
}

void TerminalView::paintEvent(QPaintEvent* event)
{
    QPainter painter(viewport());
    fillBackground(painter, event->region());
    noteInkPainted(event->region());
    const int rows = rowCount();
    if (rows == 0)
        return;
    const QRect area = event->rect();
    const int first = std::max(rowAtY(area.top()), topRow());
    int last = rowAtY(area.bottom());
    if (last < 0)
        last = rows - 1;
    // One option serves every row: copying it (font, palette, locale...) cost more than
    // painting a short row.
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    const QStyle::State state = option.state;
    const QModelIndex current = currentIndex();
    const bool focused = hasFocus();
    for (int row = first; row >= 0 && row <= last; ++row) {
        const QModelIndex index = model()->index(row, 0);
        option.rect = visualRect(index);
        option.state = state;
        if (selectionModel() && selectionModel()->isSelected(index))
            option.state |= QStyle::State_Selected;
        if (focused && index == current)
            option.state |= QStyle::State_HasFocus;
        itemDelegateForIndex(index)->paint(&painter, option, index);
    }
}

// The background is filled here, in bands, rather than by the widget: the raster engine
// hands a fill taller than about a hundred lines of pixels to a pool of threads and waits
// for them, and while lines stream in the whole view is filled 25 times a second. The
// hand-over costs more than the fill.
void TerminalView::fillBackground(QPainter& painter, const QRegion& region) const
{
    constexpr int bandHeight = 64;
    const QBrush base = viewport()->palette().brush(QPalette::Base);
    for (const QRect& rect : region)
        for (int top = rect.top(); top <= rect.bottom(); top += bandHeight)
            painter.fillRect(QRect(rect.left(), top, rect.width(),
                                   std::min(bandHeight, rect.bottom() + 1 - top)),
                             base);
}

// One column as wide as the widest line, and never narrower than the view.
void TerminalView::fitColumnToText()
{
    const int textWidth = TerminalRowDelegate::rowWidth(m_core.lines().widestLine(), m_charWidth);
    m_columnWidth = std::max(textWidth, viewport()->width());
    updateGeometries();
    viewport()->update();
}

void TerminalView::changeEvent(QEvent* event)
{
    QAbstractItemView::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        m_charWidth = TerminalRowDelegate::cellWidth(font());
        // A notch of the wheel moves a dozen characters sideways, not half the view.
        horizontalScrollBar()->setSingleStep(charactersPerStep * m_charWidth);
        fitColumnToText();
    }
}

// Shift turns the wheel sideways, as in most programs.
void TerminalView::wheelEvent(QWheelEvent* event)
{
    const bool turnSideways =
        event->modifiers().testFlag(Qt::ShiftModifier) && event->angleDelta().x() == 0;
    if (!turnSideways) {
        QAbstractItemView::wheelEvent(event);
        return;
    }
    QWheelEvent sideways(event->position(), event->globalPosition(),
                         event->pixelDelta().transposed(), event->angleDelta().transposed(),
                         event->buttons(), event->modifiers() & ~Qt::ShiftModifier, event->phase(),
                         event->inverted(), event->source());
    QAbstractItemView::wheelEvent(&sideways);
    event->setAccepted(sideways.isAccepted());
}

void TerminalView::resizeEvent(QResizeEvent* event)
{
    QAbstractItemView::resizeEvent(event);
    fitColumnToText();
}

bool TerminalView::event(QEvent* event)
{
    // A typed control code goes to the module even where a window shortcut would take it.
    if (event->type() == QEvent::ShortcutOverride &&
        !typedCharacters(*static_cast<QKeyEvent*>(event)).isEmpty()) {
        event->accept();
        return true;
    }
    return QAbstractItemView::event(event);
}

void TerminalView::keyPressEvent(QKeyEvent* event)
{
    const QString typed = typedCharacters(*event);
    if (typed.isEmpty()) {
        QAbstractItemView::keyPressEvent(event);
        return;
    }
    m_sinceTyped.start();
    m_core.gate().run([&core = m_core, typed] {
        for (const QChar c : typed)
            core.transmitter().ListBox1KeyPress(c);
    });
    event->accept();
}
