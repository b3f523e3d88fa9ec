#include "HelpKey.h"

#include "HelpContexts.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

HelpKey::HelpKey(QWidget* mainWindow) : QObject(mainWindow), m_mainWindow(mainWindow)
{
    // Keys go to an open menu rather than to the window, so they are watched where the
    // application hands them out.
    qApp->installEventFilter(this);
}

bool HelpKey::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_F1 || key->modifiers() != Qt::NoModifier)
        return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || !inMainWindow(widget))
        return false;
    const int context = helpContextOf(widget);
    if (context == 0)
        return false;
    emit helpRequested(context);
    return true;
}

// Menus and box popups are windows of their own, contained by the controls that open them.
bool HelpKey::inMainWindow(const QWidget* widget) const
{
    for (; widget; widget = widget->parentWidget())
        if (widget == m_mainWindow)
            return true;
    return false;
}
