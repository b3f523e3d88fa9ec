#include "StatusBar.h"

#include "Fonts.h"

#include <QLabel>

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
