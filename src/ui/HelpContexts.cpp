#include "HelpContexts.h"

#include <QVariant>
#include <QWidget>

namespace {

constexpr char contextProperty[] = "helpContext";

struct HelpContext {
    const char* container; // where the part is looked for; nullptr: anywhere in the window
    const char* name;
    int context;
};

const HelpContext helpContexts[] = {
    {nullptr, "ToolBar2", 2},        {nullptr, "ToolBar1", 3},
    {"ToolBar1", "ToolButton1", 11}, {"ToolBar1", "ToolButton2", 12},
    {"ToolBar1", "ToolButton3", 13}, {"ToolBar1", "ToolButton5", 14},
    {"ToolBar1", "Label1", 15},      {"ToolBar1", "ComboBox1", 15},
    {nullptr, "File1", 34},          {nullptr, "COM", 35},
    {nullptr, "Baud1", 36},          {nullptr, "View1", 37},
    {nullptr, "Commands1", 38},      {nullptr, "Help1", 39},
    {nullptr, "ListBox1", 58},
};

constexpr int mainWindowContext = 30;

} // namespace

void assignHelpContexts(QWidget* mainWindow)
{
    mainWindow->setProperty(contextProperty, mainWindowContext);
    for (const HelpContext& row : helpContexts) {
        QWidget* container = mainWindow;
        if (row.container)
            container = mainWindow->findChild<QWidget*>(QString::fromLatin1(row.container));
        QWidget* part =
            container ? container->findChild<QWidget*>(QString::fromLatin1(row.name)) : nullptr;
        if (part)
            part->setProperty(contextProperty, row.context);
    }
}

void setHelpContext(QWidget* widget, int context) { widget->setProperty(contextProperty, context); }

namespace {

// Dialogs and other top-level windows; not menus and box popups, which belong to the control
// that opens them, nor floating tool bars, which belong to the main window.
bool isWindowOfItsOwn(const QObject* object)
{
    const auto* widget = qobject_cast<const QWidget*>(object);
    if (!widget || !widget->isWindow())
        return false;
    const Qt::WindowType type = widget->windowType();
    return type == Qt::Window || type == Qt::Dialog;
}

} // namespace

int helpContextOf(const QObject* object)
{
    for (; object; object = object->parent()) {
        const int context = object->property(contextProperty).toInt();
        if (context != 0)
            return context;
        if (isWindowOfItsOwn(object))
            return 0;
    }
    return 0;
}
