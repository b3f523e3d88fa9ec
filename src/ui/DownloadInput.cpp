#include "DownloadInput.h"

#include "HandlerGate.h"
#include "Pause.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QWidget>
#include <algorithm>
#include <array>
#include <memory>

namespace {

// What a person does with the keyboard, the mouse, a pen or a touch screen. Pointer moves
// and hovering do nothing by themselves and pass.
constexpr std::array heldTypes{
    QEvent::KeyPress,
    QEvent::KeyRelease,
    QEvent::Shortcut,
    QEvent::MouseButtonPress,
    QEvent::MouseButtonRelease,
    QEvent::MouseButtonDblClick,
    QEvent::Wheel,
    QEvent::ContextMenu,
    QEvent::InputMethod,
    QEvent::TouchBegin,
    QEvent::TouchUpdate,
    QEvent::TouchEnd,
    QEvent::TouchCancel,
    QEvent::TabletPress,
    QEvent::TabletRelease,
    QEvent::NonClientAreaMouseButtonPress,
    QEvent::NonClientAreaMouseButtonRelease,
    QEvent::NonClientAreaMouseButtonDblClick,
};

bool isHeldType(QEvent::Type type)
{
    return std::find(heldTypes.begin(), heldTypes.end(), type) != heldTypes.end();
}

bool isEscape(const QEvent* event)
{
    return (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) &&
           static_cast<const QKeyEvent*>(event)->key() == Qt::Key_Escape;
}

bool within(const QWidget* widget, const QWidget* container)
{
    return container && (widget == container || container->isAncestorOf(widget));
}

bool inAMenu(const QWidget* widget)
{
    for (; widget; widget = widget->parentWidget())
        if (qobject_cast<const QMenu*>(widget) || qobject_cast<const QMenuBar*>(widget))
            return true;
    return false;
}

} // namespace

DownloadInput::DownloadInput(HandlerGate& gate, QWidget* stopButton, std::function<void()> stop)
    : m_gate(gate), m_stopButton(stopButton), m_stop(std::move(stop))
{
    qApp->installEventFilter(this);
    setPausesTakeUserInput(true);
}

DownloadInput::~DownloadInput()
{
    setPausesTakeUserInput(false);
    qApp->removeEventFilter(this);
}

// The Stop button and the menus, and an open menu (or other popup) that has the keyboard.
bool DownloadInput::actsAtOnce(const QObject* receiver) const
{
    // A platform window hands its input on to a widget, which is where it is sorted.
    if (receiver->isWindowType())
        return true;
    const auto* widget = qobject_cast<const QWidget*>(receiver);
    if (!widget)
        return false; // a shortcut's action
    return within(widget, m_stopButton) || inAMenu(widget) ||
           within(widget, QApplication::activePopupWidget());
}

// Input reaches the window only in the download's pauses; outside them (and when what was held
// is delivered, after the download) it goes its usual way.
bool DownloadInput::eventFilter(QObject* receiver, QEvent* event)
{
    if (!m_gate.pausing() || !isHeldType(event->type()) || actsAtOnce(receiver))
        return false;
    if (isEscape(event)) {
        if (event->type() == QEvent::KeyPress)
            m_stop();
        return true;
    }
    std::shared_ptr<QEvent> copy(event->clone());
    m_gate.run([receiver = QPointer<QObject>(receiver), copy] {
        if (receiver)
            QCoreApplication::sendEvent(receiver, copy.get());
    });
    return true;
}
