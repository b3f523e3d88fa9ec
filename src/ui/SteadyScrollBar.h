#pragma once

#include <QImage>
#include <QRect>
#include <QScrollBar>
#include <QStyle>

class QStyleOptionSlider;

// A scroll bar that is cheap to show while lines stream in. Its range and value change with
// every frame, and the slider repaints itself for each change, though once the list is long
// the handle stays where it is. What it shows is drawn once into a picture and painted from
// there, in bands low enough that the raster engine fills them on this thread: a fill taller
// than about a hundred lines of pixels is handed to a pool of threads, and that hand-over,
// 25 times a second, cost more than everything else the scroll bar does. The picture itself
// is drawn band by band for the same reason, and while a short list grows and the handle
// moves with every frame, only the rows around the handle are drawn anew.
//
// The picture is opaque, so nothing beneath the scroll bar is painted first (the style clears
// that mark when it polishes a scroll bar; it is set again after). A change of range, value or
// steps that leaves the picture as it is paints nothing: once the list is long, most frames
// move the handle by less than a pixel. While the mouse is over it or drags it, it is painted
// as usual, with its hover and pressed looks.
class SteadyScrollBar : public QScrollBar {
    Q_OBJECT
public:
    explicit SteadyScrollBar(Qt::Orientation orientation, QWidget* parent = nullptr);

    // Changes of range and value made while a Batch lives are judged once, when it ends: a
    // list that grows at the bottom and follows it first grows the range, which lifts the
    // handle for a moment, then moves the value, which puts it back where it was.
    class Batch {
    public:
        explicit Batch(QScrollBar* bar); // any scroll bar; only a steady one holds back
        ~Batch();
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;

    private:
        SteadyScrollBar* m_bar;
    };

protected:
    bool event(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void sliderChange(SliderChange change) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // What decides the picture: the handle's place and size, an end reached, and the look
    // of the whole.
    struct Look {
        QRect handle;
        bool atStart = false;
        bool atEnd = false;
        QSize size;
        QStyle::State state;
        qint64 paletteKey = 0;
        bool operator==(const Look&) const = default;
    };
    Look lookOf(const QStyleOptionSlider& option) const;
    bool isLive() const;
    // Whether what is on screen differs from what a paint would show now.
    bool looksChanged() const;
    QStyleOptionSlider optionForPicture() const;
    void drawPicture(const QStyleOptionSlider& option, const Look& look);
    void drawRows(QImage& picture, int top, int bottom, const QStyleOptionSlider& option) const;

    QImage m_picture;
    Look m_drawn;
    QImage m_groovePicture; // the bar without its handle
    Look m_groove;
    int m_held = 0;
    bool m_changedWhileHeld = false;
};
