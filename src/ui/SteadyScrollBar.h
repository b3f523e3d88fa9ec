#pragma once

#include <QRect>
#include <QScrollBar>

// A scroll bar that is painted again only when what it shows changes: the handle's place
// and size, or an end being reached or left. While lines stream in, the terminal list's range
// and value change with every frame, yet once the list is long the handle stays where it is;
// a scroll bar repainted every frame regardless costs more than the new rows themselves.
class SteadyScrollBar : public QScrollBar {
    Q_OBJECT
public:
    explicit SteadyScrollBar(Qt::Orientation orientation, QWidget* parent = nullptr);

protected:
    void sliderChange(SliderChange change) override;

private:
    struct Look {
        QRect handle;
        bool atStart = false;
        bool atEnd = false;
        bool operator==(const Look&) const = default;
    };
    Look look() const;

    Look m_shown;
};
