#pragma once

class QObject;
class QWidget;

// Gives the main window and its parts their help context numbers.
void assignHelpContexts(QWidget* mainWindow);

// The help context of this object, or of the nearest one containing it that has one
// (a menu's submenu, a box's popup, a button on a tool bar); 0 when none has.
int helpContextOf(const QObject* object);
