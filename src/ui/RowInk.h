#pragma once

#include <vector>

// How far the pixels of each row on screen reach beyond the background: for every row of the
// view, the right edge of what was last painted there. A frame that brings new lines repaints
// a row only as far as its old or its new text reaches, so a list of short lines costs a
// narrow strip to fill and to hand to the display, not the whole view.
//
// Every figure may be too large, never too small: a row whose pixels are not known (after a
// resize, or moved in from outside the view) counts as reaching the right edge until a paint
// covers it.
class RowInk {
public:
    // The rows on screen and their width; nothing is known of what they show.
    void reset(int rows, int width);
    bool fits(int rows, int width) const { return rows == int(m_right.size()) && width == m_width; }
    int rows() const { return int(m_right.size()); }
    int right(int row) const;
    // The pixels moved down by `rows` rows (up when negative).
    void shift(int rows);
    // A paint drew row `row` up to `right`; `cleared` says whether it first filled everything
    // the row showed before.
    void painted(int row, int right, bool cleared);

private:
    std::vector<int> m_right;
    int m_width = 0;
};
