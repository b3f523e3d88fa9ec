#pragma once

#include <QEvent>
#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>
#include <vector>

class QWidget;

// What a person does while a file download runs. The download's pauses then deliver user
// input (see Pause.h), and this filter over the whole application sorts it:
//  - Escape stops the download; it is not typed into the terminal;
//  - input for the Stop button and for the menus acts at once, so that the button and File
//    Exit stop the download (another menu item chosen runs after the download, held by the
//    terminal core's HandlerGate like any handler entered during a send);
//  - everything else (keys, clicks, the wheel, shortcuts) is held and delivered after the
//    download, in its order, as it would have been behind a window the send blocked.
// It lives as long as the download.
class DownloadInput : public QObject {
public:
    DownloadInput(QWidget* stopButton, std::function<void()> stop);
    ~DownloadInput() override; // delivers what it held
    DownloadInput(const DownloadInput&) = delete;
    DownloadInput& operator=(const DownloadInput&) = delete;

protected:
    bool eventFilter(QObject* receiver, QEvent* event) override;

private:
    bool actsAtOnce(const QObject* receiver) const;

    struct Held {
        QPointer<QObject> receiver;
        std::unique_ptr<QEvent> event;
    };
    QPointer<QWidget> m_stopButton;
    std::function<void()> m_stop;
    std::vector<Held> m_held;
};
