#pragma once

#include "RowInk.h"
#include "TerminalListModel.h"

#include <QElapsedTimer>
#include <QTableView>
#include <QTimer>

class QMenu;
class QPainter;
class TerminalCore;
struct ListColours;

// ListBox1: the terminal list on screen, a view of the core's list model. Every row has the
// same height and every row is as wide as the widest line, so where a row is follows from
// its number alone: the view keeps nothing per row, and a list of ten million lines costs
// it no memory and is as quick to grow, scroll and paint as one of ten. The vertical scroll
// bar counts rows, the horizontal one pixels. Its rows are painted by TerminalRowDelegate,
// which draws only the columns in view.
//
// It is a table view only for what the platform gives one: assistive technology (and tools
// that read the screen through it) reads the lines as a table of one column, row by row.
// All its geometry is its own. The table's headers, which would keep a section per row and
// sum them again after every append, are hidden and are not told of the rows at all.
class TerminalView : public QTableView {
    Q_OBJECT
public:
    TerminalView(TerminalCore& core, QWidget* parent = nullptr);
    QMenu* popupMenu() const { return m_popup; }

    static constexpr int rowHeight = 13;

    // The colours the Green on Black option calls for, or others for a while.
    void applyColours();
    void showColours(const ListColours& colours);
    void scrollToTopLine(int topLine);
    // Publishes the list's changes and makes the scroll asked for since the last frame, now.
    void showFrame();
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
    QRect visualRect(const QModelIndex& index) const override;
    QModelIndex indexAt(const QPoint& point) const override;

protected:
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    int horizontalOffset() const override;
    int verticalOffset() const override;
    bool isIndexHidden(const QModelIndex&) const override { return false; }
    void setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command) override;
    QRegion visualRegionForSelection(const QItemSelection& selection) const override;
    void updateGeometries() override;
    void scrollContentsBy(int dx, int dy) override;
    void paintEvent(QPaintEvent* event) override;
    void rowsInserted(const QModelIndex& parent, int start, int end) override;
    void dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                     const QList<int>& roles = {}) override;
    void doItemsLayout() override;

    void resizeEvent(QResizeEvent* event) override;
    // Every character the keyboard produces goes to the module; other keys move in the list.
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void showEvent(QShowEvent* event) override;
    // Catches the window coming back from minimised, to show what arrived meanwhile.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fitColumnToText();
    int rowCount() const;
    int topRow() const;
    // Rows that fit whole in the viewport, at least one.
    int rowsInView() const;
    int rowAtY(int y) const;
    void fillBackground(QPainter& painter, const QRegion& region) const;
    void requestFrame();
    void scrollAtNextFrame(int topLine);
    void repaintRowsFrom(int row);
    // Whether what changed in `row` from character `column` on shows in the viewport.
    bool showsFromColumn(int row, qsizetype column) const;
    void repaintChangedRow(int row, qsizetype column);
    // Where on the viewport repainting from character `column` starts.
    qint64 columnLeft(qsizetype column) const;
    // Nobody sees the list while its window is hidden or minimised.
    bool isSeen() const;
    // Where on the viewport what painting `row` draws ends: nothing, its text or, selected,
    // the whole width.
    int inkRightOf(int row) const;
    RowInk& inkFitted();
    // Marks the rows from `screenRow` down for repainting, each as far as what it shows now
    // or is about to show reaches; returns the area marked.
    qint64 repaintInkFrom(int screenRow);
    // The area repaintInkFrom(0) would mark.
    qint64 inkArea();
    void noteInkPainted(const QRegion& region);

    // New rows are published, scrolled to and painted at most this often, however often the
    // list changes: 25 frames a second. A change after a quiet while (a typed character's
    // echo, a module's answer) shows at once. While a stream scrolls the list, every frame
    // paints the rows that arrived, redraws the scroll bar and hands the view to the display,
    // which is most of the window's work; lines racing past are read no better at 40 frames
    // than at 25, and a scroll of a few rows a frame still moves steadily.
    static constexpr int frameMs = 40;
    // While a stream keeps scrolling the list, a frame costs the same however few rows it
    // brings (the scroll, the scroll bar, the hand-over to the display and its reply), and
    // rows racing up the view are read no better at 25 frames a second than at 16: frames
    // come this far apart while every frame scrolls, unless a key was typed lately, so that
    // its echo shows as soon as ever.
    static constexpr int scrollingFrameMs = 62;
    static constexpr int typedLatelyMs = 1000;
    int frameInterval() const;

    static constexpr int charactersPerStep = 4;

    TerminalCore& m_core;
    QMenu* m_popup;
    int m_charWidth = 8;
    int m_columnWidth = 0;
    QTimer m_frame;
    QElapsedTimer m_sinceFrame;
    QElapsedTimer m_sinceTyped;
    bool m_lastFrameScrolled = false;
    int m_topLineWanted = -1;
    bool m_frameOwed = false;
    // The row published as changed in this frame, and from which character on.
    TerminalListModel::LineChange m_changed;
    RowInk m_ink;
};
