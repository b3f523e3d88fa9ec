#pragma once

#include <QListWidget>

// IWrap: the command list beside the terminal list. Says which line the user chose, by a
// left click (also on the line already selected) or by moving the selection with the
// keyboard.
class CommandListView : public QListWidget {
    Q_OBJECT
public:
    explicit CommandListView(QWidget* parent = nullptr);

    static constexpr int rowHeight = 13;
    static constexpr int startWidth = 20;

    // The width the splitter gives the list when it is laid out afresh.
    void setPreferredWidth(int width);
    QSize sizeHint() const override;

signals:
    void lineChosen(const QString& line);

protected:
    bool viewportEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void chooseSelectedLine();
    int m_preferredWidth = startWidth;
    bool m_selectionSends = true; // false while a mouse event without the left button runs
};
