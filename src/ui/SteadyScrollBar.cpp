#include "SteadyScrollBar.h"

#include <QPaintEvent>
#include <QPainter>
#include <QStyleOptionSlider>
#include <algorithm>

namespace {
// Fills and copies up to this many lines of pixels stay on the painting thread.
constexpr int bandHeight = 64;
} // namespace

SteadyScrollBar::SteadyScrollBar(Qt::Orientation orientation, QWidget* parent)
    : QScrollBar(orientation, parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

SteadyScrollBar::Look SteadyScrollBar::lookOf(const QStyleOptionSlider& option) const
{
    return {style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider,
                                    this),
            value() == minimum(),
            value() == maximum(),
            size(),
            option.state,
            palette().cacheKey()};
}

void SteadyScrollBar::drawPicture(const QStyleOptionSlider& option)
{
    const qreal ratio = devicePixelRatioF();
    m_picture = QPixmap(size() * ratio);
    m_picture.setDevicePixelRatio(ratio);
    QPainter painter(&m_picture);
    // The style fills the groove and the handle in one piece each, taller than a band: drawn
    // once per band, clipped to it, every fill stays on this thread.
    for (int top = 0; top < height(); top += bandHeight) {
        const QRect band(0, top, width(), bandHeight);
        painter.setClipRect(band);
        painter.fillRect(band, palette().window());
        style()->drawComplexControl(QStyle::CC_ScrollBar, &option, &painter, this);
    }
}

void SteadyScrollBar::paintEvent(QPaintEvent* event)
{
    QStyleOptionSlider option;
    initStyleOption(&option);
    option.subControls = QStyle::SC_All;
    const bool live = underMouse() || isSliderDown();
    const Look now = lookOf(option);
    if (!live && (now != m_drawn || m_picture.isNull())) {
        drawPicture(option);
        m_drawn = now;
    }
    QPainter painter(this);
    const QRect area = event->rect();
    if (live) {
        // Opaque: the window beneath is not painted first.
        for (int top = area.top(); top <= area.bottom(); top += bandHeight)
            painter.fillRect(QRect(area.left(), top, area.width(), bandHeight),
                             palette().window());
        painter.end();
        QScrollBar::paintEvent(event);
        return;
    }
    const qreal ratio = m_picture.devicePixelRatio();
    for (int top = area.top(); top <= area.bottom(); top += bandHeight) {
        const QRect band(area.left(), top, area.width(),
                         std::min(bandHeight, area.bottom() + 1 - top));
        painter.drawPixmap(band, m_picture,
                           QRectF(band.left() * ratio, band.top() * ratio, band.width() * ratio,
                                  band.height() * ratio));
    }
}
