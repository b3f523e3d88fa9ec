#pragma once

#include <QStatusBar>
#include <array>

class QLabel;
class QProgressBar;
class QPushButton;

// The six-panel status bar: port, download count, echo, hex or stamp, capture file, help.
// While a file download runs, its progress and a Stop button show beside the count.
class StatusBar : public QStatusBar {
    Q_OBJECT
public:
    explicit StatusBar(QWidget* parent = nullptr);
    static constexpr int barHeight = 19;
    static constexpr std::array<int, 6> panelWidths{150, 60, 60, 60, 350, 50};
    static constexpr int downloadPanel = 1;

    QString panelText(int index) const;
    void setPanelText(int index, const QString& text);

    // The share sent as a bar with its caption ("41 % · 3 min left"), and the Stop button.
    void showDownload(int percent, const QString& caption);
    void hideDownload();
    QProgressBar* downloadProgress() const { return m_downloadProgress; }
    QPushButton* stopButton() const { return m_stopButton; }

private:
    std::array<QLabel*, 6> m_panels{};
    QProgressBar* m_downloadProgress = nullptr;
    QPushButton* m_stopButton = nullptr;
};
