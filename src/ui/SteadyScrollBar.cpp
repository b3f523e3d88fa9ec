#include "SteadyScrollBar.h"

#include <QStyleOptionSlider>

SteadyScrollBar::SteadyScrollBar(Qt::Orientation orientation, QWidget* parent)
    : QScrollBar(orientation, parent)
{
}

SteadyScrollBar::Look SteadyScrollBar::look() const
{
    QStyleOptionSlider option;
    initStyleOption(&option);
    return {
        style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, this),
        value() == minimum(), value() == maximum()};
}

void SteadyScrollBar::sliderChange(SliderChange change)
{
    const Look now = look();
    const bool sameLook = now == m_shown;
    m_shown = now;
    // Painting again is all that a change does.
    if (sameLook && (change == SliderRangeChange || change == SliderValueChange))
        return;
    QScrollBar::sliderChange(change);
}
