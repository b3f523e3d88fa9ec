#include "RowInk.h"

#include <algorithm>

void RowInk::reset(int rows, int width)
{
    m_width = width;
    m_right.assign(std::size_t(std::max(rows, 0)), width);
}

int RowInk::right(int row) const
{
    return row >= 0 && row < rows() ? m_right[std::size_t(row)] : m_width;
}

void RowInk::shift(int rows)
{
    const int count = this->rows();
    if (rows >= count || -rows >= count) {
        std::fill(m_right.begin(), m_right.end(), m_width);
    } else if (rows > 0) {
        std::move_backward(m_right.begin(), m_right.end() - rows, m_right.end());
        std::fill(m_right.begin(), m_right.begin() + rows, m_width);
    } else if (rows < 0) {
        std::move(m_right.begin() - rows, m_right.end(), m_right.begin());
        std::fill(m_right.end() + rows, m_right.end(), m_width);
    }
}

void RowInk::painted(int row, int right, bool cleared)
{
    if (row < 0 || row >= rows())
        return;
    int& known = m_right[std::size_t(row)];
    known = cleared ? right : std::max(known, right);
}
