#pragma once

#include <QStatusBar>
#include <array>

class QLabel;

// The six-panel status bar: port, download count, echo, hex or stamp, capture file, help.
class StatusBar : public QStatusBar {
    Q_OBJECT
public:
    explicit StatusBar(QWidget* parent = nullptr);
    static constexpr int barHeight = 19;
    static constexpr std::array<int, 6> panelWidths{150, 60, 60, 60, 350, 50};
    static constexpr int downloadPanel = 1;

    QString panelText(int index) const;
    void setPanelText(int index, const QString& text);

private:
    std::array<QLabel*, 6> m_panels{};
};
