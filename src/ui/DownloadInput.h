#pragma once

#include <QObject>
#include <QPointer>
#include <functional>

class HandlerGate;
class QWidget;

// What a person does while a file download runs. The download's pauses then deliver user
// input (see Pause.h), and this filter over the whole application sorts it:
//  - Escape stops the download; it is not typed into the terminal;
//  - input for the Stop button and for the menus acts at once, so that the button and File
//    Exit stop the download (another menu item chosen runs after the download, held by the
//    terminal core's HandlerGate like any handler entered during a send);
//  - everything else (keys, clicks, the wheel, shortcuts) is held by the gate, like the
//    handlers entered during the send, and delivered after the download in the order it
//    came among them, as it would have been behind a window the send blocked.
// It lives as long as the download.
class DownloadInput : public QObject {
public:
    DownloadInput(HandlerGate& gate, QWidget* stopButton, std::function<void()> stop);
    ~DownloadInput() override;
    DownloadInput(const DownloadInput&) = delete;
    DownloadInput& operator=(const DownloadInput&) = delete;

protected:
    bool eventFilter(QObject* receiver, QEvent* event) override;

private:
    bool actsAtOnce(const QObject* receiver) const;

    HandlerGate& m_gate;
    QPointer<QWidget> m_stopButton;
    std::function<void()> m_stop;
};
