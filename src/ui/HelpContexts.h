#pragma once

class QObject;
class QWidget;

// Gives the main window and its parts their help context numbers.
void assignHelpContexts(QWidget* mainWindow);
// Gives one window or control its help context number.
void setHelpContext(QWidget* widget, int context);

// The help context of this object, or of the nearest one containing it that has one
// (a menu's submenu, a box's popup, a button on a tool bar), within its own window: a
// window of its own (a dialog, the help window) does not pass the request on to the
// window that owns it. 0 when none has.
int helpContextOf(const QObject* object);
