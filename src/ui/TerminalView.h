#pragma once

#include <QElapsedTimer>
#include <QTableView>
#include <QTimer>

class QMenu;
class TerminalCore;
struct ListColours;

// ListBox1: the terminal list on screen, a view of the core's list model. A table of one
// column with fixed row heights: unlike a list view, it takes new rows without laying
// out all the others again, so a list of millions of lines stays quick to grow and scroll.
// Its rows are painted by TerminalRowDelegate, which draws only the columns in view, and
// the column is as wide as the widest line, reached with a horizontal scroll bar.
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
    void doItemsLayout() override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    // Every character the keyboard produces goes to the module; other keys move in the list.
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void fitColumnToText();
    void requestFrame();
    void scrollAtNextFrame(int topLine);
    void layOutNewRows();
    void repaintRowsFrom(int row);

    // About 60 frames a second: new rows are laid out, scrolled to and painted at most this
    // often, however often the list changes.
    static constexpr int frameMs = 16;

    static constexpr int charactersPerStep = 4;

    TerminalCore& m_core;
    QMenu* m_popup;
    int m_charWidth = 8;
    QTimer m_frame;
    QElapsedTimer m_sinceFrame;
    int m_topLineWanted = -1;
    bool m_layingOutNewRows = false;
    bool m_resetSinceFrame = false;
};
