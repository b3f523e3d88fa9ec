#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <algorithm>

// The longest gap between two turns of the event loop, seen by a 2 ms timer: how long the
// window at worst did not answer.
class StallMeter : public QObject {
public:
    StallMeter()
    {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            worstMs = std::max(worstMs, double(m_since.nsecsElapsed()) / 1e6);
            m_since.restart();
        });
        restart();
        m_timer.start(2);
    }
    void restart()
    {
        worstMs = 0;
        m_since.start();
    }
    double worstMs = 0;

private:
    QTimer m_timer;
    QElapsedTimer m_since;
};
