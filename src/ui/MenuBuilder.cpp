#include "MenuBuilder.h"

#include "Handlers.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace {

QAction* addItem(QMenu* menu, const MenuItemRow& row, const Handlers& handlers)
{
    if (QLatin1String(row.caption) == QLatin1String("-"))
        return menu->addSeparator();
    QAction* item = menu->addAction(QString::fromLatin1(row.caption));
    if (row.hint)
        item->setToolTip(QString::fromLatin1(row.hint));
    item->setCheckable(row.tick != nullptr);
    QObject::connect(item, &QAction::triggered, handlers[row.handler]);
    return item;
}

} // namespace

QMenu* buildMenu(QMenuBar* bar, const MenuLayout& layout, const Handlers& handlers,
                 std::vector<TickItem>& ticks)
{
    QMenu* menu = bar->addMenu(QString::fromLatin1(layout.caption));
    menu->setObjectName(QString::fromLatin1(layout.name));
    fillMenu(menu, layout, handlers, ticks);
    return menu;
}

void fillMenu(QMenu* menu, const MenuLayout& layout, const Handlers& handlers,
              std::vector<TickItem>& ticks)
{
    for (const MenuItemRow& row : layout.items) {
        QAction* item = addItem(menu, row, handlers);
        item->setObjectName(QString::fromLatin1(row.name));
        if (row.tick)
            ticks.push_back({item, row.tick});
    }
}
