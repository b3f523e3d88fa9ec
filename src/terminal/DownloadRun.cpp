#include "DownloadRun.h"

#include <algorithm>
#include <utility>

namespace {

qint64 roundedUp(qint64 value, qint64 unit) { return (value + unit - 1) / unit; }

} // namespace

int DownloadRun::percent() const
{
    if (m_plan.pacedMs <= 0)
        return 0;
    // A file that grew after it was measured sends more than planned.
    return int(std::min<qint64>(100, m_pacedMs * 100 / m_plan.pacedMs));
}

// Rounded up, so that "0 min left" never shows while something is left to send.
QString DownloadRun::timeLeftText(qint64 ms)
{
    const qint64 seconds = roundedUp(std::max<qint64>(ms, 0), 1000);
    if (seconds < 60)
        return QStringLiteral("%1 s").arg(seconds);
    const qint64 minutes = roundedUp(seconds, 60);
    if (minutes < 60)
        return QStringLiteral("%1 min").arg(minutes);
    return QStringLiteral("%1 h %2 min").arg(minutes / 60).arg(minutes % 60, 2, 10, QChar(u'0'));
}

QString DownloadRun::currentCaption() const
{
    return QStringLiteral("%1 % \u00b7 %2 left")
        .arg(percent())
        .arg(timeLeftText(m_plan.pacedMs - m_pacedMs));
}

void DownloadRun::begin(const Plan& plan)
{
    m_running = true;
    m_stopRequested = false;
    m_plan = plan;
    m_pacedMs = 0;
    m_caption = currentCaption();
    emit started();
}

void DownloadRun::end()
{
    if (!std::exchange(m_running, false))
        return;
    m_stopRequested = false;
    emit ended();
}

Pause DownloadRun::countingPaces(Pause pause)
{
    return [this, pause = std::move(pause)](int ms) {
        pause(ms);
        if (m_running)
            paced(ms);
    };
}

void DownloadRun::paced(int ms)
{
    m_pacedMs += ms;
    QString caption = currentCaption(); // the share is part of it
    if (caption == m_caption)
        return;
    m_caption = std::move(caption);
    emit progressed();
}

void DownloadRun::stop()
{
    if (m_running)
        m_stopRequested = true;
}
