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
    return {
        style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, this),
        value() == minimum(),
        value() == maximum(),
        size(),
        option.state,
        palette().cacheKey()};
}

void SteadyScrollBar::drawPicture(const QStyleOptionSlider& option)
{
    const qreal ratio = devicePixelRatioF();
    m_picture = QImage(size() * ratio, QImage::Format_ARGB32_Premultiplied);
    // The style fills the groove and the handle in one piece each, taller than a band. It is
    // drawn once per band, each time onto an image of just that band's pixels (shared with
    // the picture): what falls outside it is never drawn, and every fill stays on this thread.
    const int bandPixels = int(bandHeight * ratio);
    for (int top = 0; top < m_picture.height(); top += bandPixels) {
        QImage band(m_picture.scanLine(top), m_picture.width(),
                    std::min(bandPixels, m_picture.height() - top), int(m_picture.bytesPerLine()),
                    m_picture.format());
        band.setDevicePixelRatio(ratio);
        QPainter painter(&band);
        painter.translate(0, -top / ratio);
        painter.fillRect(rect(), palette().window());
        style()->drawComplexControl(QStyle::CC_ScrollBar, &option, &painter, this);
    }
    m_picture.setDevicePixelRatio(ratio);
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
            painter.fillRect(QRect(area.left(), top, area.width(), bandHeight), palette().window());
        painter.end();
        QScrollBar::paintEvent(event);
        return;
    }
    const qreal ratio = m_picture.devicePixelRatio();
    for (int top = area.top(); top <= area.bottom(); top += bandHeight) {
        const QRect band(area.left(), top, area.width(),
                         std::min(bandHeight, area.bottom() + 1 - top));
        painter.drawImage(band, m_picture,
                          QRectF(band.left() * ratio, band.top() * ratio, band.width() * ratio,
                                 band.height() * ratio));
    }
}
