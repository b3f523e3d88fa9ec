#pragma once

#include <QUrl>
#include <QWidget>

class QTextBrowser;

// A small window that shows the help topics. Links between topics work as in a browser;
// "Contents" and "Back" find the way home.
class HelpViewer : public QWidget {
    Q_OBJECT
public:
    explicit HelpViewer(QWidget* parent);

    // Shows the topic of this help context from the help file, in front.
    void showContext(const QString& helpFile, int context);
    int context() const { return m_context; }
    QUrl source() const;
    QString shownText() const;

private:
    QTextBrowser* m_browser;
    QString m_helpFile;
    int m_context = 0;
};
