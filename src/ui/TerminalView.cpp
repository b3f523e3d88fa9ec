#include "TerminalView.h"

#include "SteadyScrollBar.h"
#include "TerminalCore.h"
#include "TerminalRowDelegate.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QWheelEvent>
#include <algorithm>
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

} // namespace

TerminalView::TerminalView(TerminalCore& core, QWidget* parent)
    : QTableView(parent), m_core(core), m_popup(new QMenu(this))
{
    setObjectName(QStringLiteral("ListBox1"));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(false);
    setCornerButtonEnabled(false);
    setItemDelegate(new TerminalRowDelegate(m_core.lines(), this));
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setVerticalScrollBar(new SteadyScrollBar(Qt::Vertical, this));
    horizontalHeader()->hide();
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(rowHeight);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);

    QFont font(QStringLiteral("Courier"));
    font.setStyleHint(QFont::TypeWriter);
    font.setPixelSize(12);
    setFont(font);
    setModel(&m_core.list());

    m_popup->setObjectName(QStringLiteral("PopupMenu1"));
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { m_popup->popup(viewport()->mapToGlobal(at)); });
    connect(&m_core, &TerminalCore::coloursChanged, this, &TerminalView::applyColours);
    m_frame.setSingleShot(true);
    m_sinceFrame.start();
    connect(&m_frame, &QTimer::timeout, this, &TerminalView::showFrame);
    connect(&m_core.list(), &TerminalListModel::changed, this, &TerminalView::requestFrame);
    connect(&m_core, &TerminalCore::scrollRequested, this, &TerminalView::scrollAtNextFrame);
    connect(&m_core.list(), &TerminalListModel::widestLineGrew, this,
            &TerminalView::fitColumnToText);
    connect(&m_core.list(), &QAbstractItemModel::modelReset, this, &TerminalView::fitColumnToText);
    connect(&m_core.list(), &QAbstractItemModel::modelReset, this,
            [this] { m_resetSinceFrame = true; });
    applyColours();
}

void TerminalView::applyColours() { showColours(m_core.listColours()); }

void TerminalView::showColours(const ListColours& colours)
{
    QPalette p = palette();
    p.setColor(QPalette::Base, colours.background);
    p.setColor(QPalette::Text, colours.text);
    setPalette(p);
}

// A change after a quiet while shows at once; while changes keep coming, one frame every
// frameMs shows them all.
void TerminalView::requestFrame()
{
    if (m_frame.isActive())
        return;
    m_frame.start(int(std::max<qint64>(0, frameMs - m_sinceFrame.elapsed())));
}

void TerminalView::scrollAtNextFrame(int topLine)
{
    m_topLineWanted = topLine;
    requestFrame();
}

void TerminalView::showFrame()
{
    m_frame.stop();
    m_sinceFrame.restart();
    const int lastShownRow = model()->rowCount() - 1; // it may have grown since
    m_core.list().publish();
    layOutNewRows();
    if (m_topLineWanted >= 0)
        scrollToTopLine(std::exchange(m_topLineWanted, -1));
    repaintRowsFrom(std::max(lastShownRow, 0));
}

// Rows added at the end move none of the rows before them, so only the scroll range is
// updated; a table view would lay out and repaint everything it shows. Scrolling then moves
// what is on screen, and only the rows from the last one shown before are painted anew.
// After the list was cleared, everything is laid out and painted again.
void TerminalView::layOutNewRows()
{
    m_layingOutNewRows = !std::exchange(m_resetSinceFrame, false);
    executeDelayedItemsLayout();
    m_layingOutNewRows = false;
}

void TerminalView::doItemsLayout()
{
    if (m_layingOutNewRows)
        updateGeometries();
    else
        QTableView::doItemsLayout();
}

void TerminalView::repaintRowsFrom(int row)
{
    const int top = std::max(0, rowViewportPosition(row));
    const int height = viewport()->height();
    if (top < height)
        viewport()->update(0, top, viewport()->width(), height - top);
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

// Rows are put in view up and down only. Every row is as wide as the widest line, so a
// table would otherwise jump back to the left edge on every tick and every arrow key,
// taking away what the user scrolled sideways to see.
void TerminalView::scrollTo(const QModelIndex& index, ScrollHint hint)
{
    QScrollBar* sideways = horizontalScrollBar();
    const QSignalBlocker keepSideways(sideways);
    const int left = sideways->value();
    QTableView::scrollTo(index, hint);
    sideways->setValue(left);
}

// One column as wide as the widest line, and never narrower than the view.
void TerminalView::fitColumnToText()
{
    const int textWidth = TerminalRowDelegate::rowWidth(m_core.lines().widestLine(), m_charWidth);
    horizontalHeader()->resizeSection(0, std::max(textWidth, viewport()->width()));
}

void TerminalView::changeEvent(QEvent* event)
{
    QTableView::changeEvent(event);
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
        QTableView::wheelEvent(event);
        return;
    }
    QWheelEvent sideways(event->position(), event->globalPosition(),
                         event->pixelDelta().transposed(), event->angleDelta().transposed(),
                         event->buttons(), event->modifiers() & ~Qt::ShiftModifier, event->phase(),
                         event->inverted(), event->source());
    QTableView::wheelEvent(&sideways);
    event->setAccepted(sideways.isAccepted());
}

void TerminalView::resizeEvent(QResizeEvent* event)
{
    QTableView::resizeEvent(event);
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
    return QTableView::event(event);
}

void TerminalView::keyPressEvent(QKeyEvent* event)
{
    const QString typed = typedCharacters(*event);
    if (typed.isEmpty()) {
        QTableView::keyPressEvent(event);
        return;
    }
    for (const QChar c : typed)
        m_core.ListBox1KeyPress(c);
    event->accept();
}
