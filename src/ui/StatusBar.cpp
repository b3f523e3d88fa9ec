#include "StatusBar.h"

#include "Fonts.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

namespace {
constexpr int downloadProgressWidth = 170;
constexpr int stopButtonWidth = 50;
// Room for the frame the bar draws around each item.
constexpr int downloadItemHeight = StatusBar::barHeight - 2;
} // namespace

StatusBar::StatusBar(QWidget* parent) : QStatusBar(parent)
{
    setObjectName(QStringLiteral("StatusBar1"));
    setFixedHeight(barHeight);
    // Each panel's sunken frame is drawn around it by the bar, so that the panel's own
    // height, all that the bar's 19 pixels leave, is free for its text.
    setStyleSheet(windowFontRule() +
                  QStringLiteral("QStatusBar::item { border: 1px inset palette(mid); }"));
    for (std::size_t i = 0; i < m_panels.size(); ++i) {
        auto* panel = new QLabel(this);
        panel->setObjectName(QStringLiteral("Panel%1").arg(i));
        panel->setFixedWidth(panelWidths[i]);
        panel->setTextFormat(Qt::PlainText);
        addWidget(panel);
        m_panels[i] = panel;
    }

    m_downloadProgress = new QProgressBar(this);
    m_downloadProgress->setObjectName(QStringLiteral("DownloadProgress"));
    m_downloadProgress->setRange(0, 100);
    m_downloadProgress->setFixedSize(downloadProgressWidth, downloadItemHeight);
    m_downloadProgress->setAlignment(Qt::AlignCenter);
    m_stopButton = new QPushButton(QStringLiteral("Stop"), this);
    m_stopButton->setObjectName(QStringLiteral("DownloadStop"));
    m_stopButton->setToolTip(QStringLiteral("Stop the download (Esc)"));
    m_stopButton->setFixedSize(stopButtonWidth, downloadItemHeight);
    // Clicking it leaves the keyboard where it was.
    m_stopButton->setFocusPolicy(Qt::NoFocus);
    insertWidget(downloadPanel + 1, m_downloadProgress);
    insertWidget(downloadPanel + 2, m_stopButton);
    hideDownload();
}

QString StatusBar::panelText(int index) const { return m_panels.at(std::size_t(index))->text(); }

void StatusBar::setPanelText(int index, const QString& text)
{
    QLabel* panel = m_panels.at(std::size_t(index));
    panel->setText(text);
    // A download's line count changes while nothing else of the window is served: it is
    // drawn at once, not when the window next paints.
    if (index == downloadPanel)
        panel->repaint();
}

void StatusBar::showDownload(int percent, const QString& caption)
{
    m_downloadProgress->setValue(percent);
    // The caption holds no %p, %v or %m for the bar to fill in.
    m_downloadProgress->setFormat(caption);
    m_downloadProgress->show();
    m_stopButton->show();
}

void StatusBar::hideDownload()
{
    m_downloadProgress->hide();
    m_stopButton->hide();
}
