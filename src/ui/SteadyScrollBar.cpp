#include "SteadyScrollBar.h"

#include <QPaintEvent>
#include <QPainter>
#include <QStyleOptionSlider>
#include <algorithm>
#include <utility>

namespace {
// Fills and copies up to this many lines of pixels stay on the painting thread.
constexpr int bandHeight = 64;
} // namespace

SteadyScrollBar::SteadyScrollBar(Qt::Orientation orientation, QWidget* parent)
    : QScrollBar(orientation, parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

bool SteadyScrollBar::event(QEvent* event)
{
    const bool handled = QScrollBar::event(event);
    if (event->type() == QEvent::Polish)
        setAttribute(Qt::WA_OpaquePaintEvent);
    return handled;
}

void SteadyScrollBar::changeEvent(QEvent* event)
{
    QScrollBar::changeEvent(event);
    if (event->type() == QEvent::StyleChange)
        setAttribute(Qt::WA_OpaquePaintEvent);
}

bool SteadyScrollBar::isLive() const { return underMouse() || isSliderDown(); }

QStyleOptionSlider SteadyScrollBar::optionForPicture() const
{
    QStyleOptionSlider option;
    initStyleOption(&option);
    option.subControls = QStyle::SC_All;
    return option;
}

bool SteadyScrollBar::looksChanged() const
{
    return isLive() || m_picture.isNull() || lookOf(optionForPicture()) != m_drawn;
}

void SteadyScrollBar::sliderChange(SliderChange change)
{
    if (m_held > 0)
        m_changedWhileHeld = true;
    else if (looksChanged())
        QScrollBar::sliderChange(change);
}

SteadyScrollBar::Batch::Batch(QScrollBar* bar) : m_bar(qobject_cast<SteadyScrollBar*>(bar))
{
    if (m_bar)
        ++m_bar->m_held;
}

SteadyScrollBar::Batch::~Batch()
{
    if (!m_bar || --m_bar->m_held > 0 || !std::exchange(m_bar->m_changedWhileHeld, false))
        return;
    if (m_bar->looksChanged())
        m_bar->update();
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

// The style fills the groove and the handle in one piece each, taller than a band. It is
// drawn once per band, each time onto an image of just that band's pixels (shared with the
// picture): what falls outside it is never drawn, and every fill stays on this thread.
void SteadyScrollBar::drawRows(QImage& picture, int top, int bottom,
                               const QStyleOptionSlider& option) const
{
    const qreal ratio = picture.devicePixelRatio();
    const int bandPixels = int(bandHeight * ratio);
    top = std::max(top, 0);
    bottom = std::min(bottom, picture.height());
    for (int band = top; band < bottom; band += bandPixels) {
        QImage rows(picture.scanLine(band), picture.width(), std::min(bandPixels, bottom - band),
                    int(picture.bytesPerLine()), picture.format());
        rows.setDevicePixelRatio(ratio);
        QPainter painter(&rows);
        painter.translate(0, -band / ratio);
        painter.fillRect(rect(), palette().window());
        style()->drawComplexControl(QStyle::CC_ScrollBar, &option, &painter, this);
    }
}

// While lines stream in, the handle moves or shrinks with nearly every frame and the rest
// stays as it is: the bar without its handle is drawn once and kept, and each picture is a
// copy of it with the rows around the handle drawn anew. A sideways bar's handle spans all
// its rows, so it is drawn whole.
void SteadyScrollBar::drawPicture(const QStyleOptionSlider& option, const Look& look)
{
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = size() * ratio;
    Look groove = look;
    groove.handle = {};
    if (orientation() == Qt::Vertical && (groove != m_groove || m_groovePicture.isNull())) {
        QStyleOptionSlider withoutHandle = option;
        withoutHandle.subControls &= ~QStyle::SC_ScrollBarSlider;
        m_groovePicture = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
        m_groovePicture.setDevicePixelRatio(ratio);
        drawRows(m_groovePicture, 0, pixels.height(), withoutHandle);
        m_groove = groove;
    }
    if (orientation() != Qt::Vertical) {
        m_picture = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
        m_picture.setDevicePixelRatio(ratio);
        drawRows(m_picture, 0, pixels.height(), option);
        return;
    }
    m_picture = m_groovePicture.copy();
    m_picture.setDevicePixelRatio(ratio);
    // A margin for the edges the style draws around the handle.
    constexpr int margin = 2;
    drawRows(m_picture, int((look.handle.top() - margin) * ratio),
             int((look.handle.bottom() + 1 + margin) * ratio), option);
}

void SteadyScrollBar::paintEvent(QPaintEvent* event)
{
    const QStyleOptionSlider option = optionForPicture();
    const bool live = isLive();
    const Look now = lookOf(option);
    if (!live && (now != m_drawn || m_picture.isNull())) {
        drawPicture(option, now);
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
