#include "DownloadInput.h"

#include "Pause.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QWidget>
#include <algorithm>
#include <array>

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

DownloadInput::DownloadInput(QWidget* stopButton, std::function<void()> stop)
    : m_stopButton(stopButton), m_stop(std::move(stop))
{
    qApp->installEventFilter(this);
    setPausesTakeUserInput(true);
}

DownloadInput::~DownloadInput()
{
    setPausesTakeUserInput(false);
    qApp->removeEventFilter(this);
    for (Held& held : m_held)
        if (held.receiver)
            QCoreApplication::postEvent(held.receiver, held.event.release());
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

bool DownloadInput::eventFilter(QObject* receiver, QEvent* event)
{
    if (!isHeldType(event->type()) || actsAtOnce(receiver))
        return false;
    if (isEscape(event)) {
        if (event->type() == QEvent::KeyPress)
            m_stop();
        return true;
    }
    m_held.push_back({receiver, std::unique_ptr<QEvent>(event->clone())});
    return true;
}
