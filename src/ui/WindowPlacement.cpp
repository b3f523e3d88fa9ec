#include "WindowPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>

namespace {

// In 64 bits: saved edges may be anywhere in the 32-bit range.
bool overlaps(qint64 left, qint64 top, const QSize& size, const QRect& screen)
{
    return left < qint64(screen.x()) + screen.width() && left + size.width() > screen.x() &&
           top < qint64(screen.y()) + screen.height() && top + size.height() > screen.y();
}

int boundedExtent(std::optional<int> saved, int current, int screens)
{
    if (!saved)
        return current;
    return std::clamp(*saved, 1, std::max(current, screens));
}

} // namespace

ScreenLayout ScreenLayout::ofThisMachine()
{
    ScreenLayout layout;
    for (const QScreen* screen : QGuiApplication::screens())
        layout.screens.append(screen->geometry());
    if (const QScreen* primary = QGuiApplication::primaryScreen())
        layout.primaryAvailable = primary->availableGeometry();
    return layout;
}

QRect restoredPlacement(const SavedPlacement& saved, const QRect& current,
                        const ScreenLayout& layout)
{
    QRect desktop;
    for (const QRect& screen : layout.screens)
        desktop = desktop.united(screen);
    const QSize size(boundedExtent(saved.width, current.width(), desktop.width()),
                     boundedExtent(saved.height, current.height(), desktop.height()));
    const qint64 left = saved.left.value_or(current.x());
    const qint64 top = saved.top.value_or(current.y());
    const bool onAScreen =
        std::any_of(layout.screens.begin(), layout.screens.end(),
                    [&](const QRect& screen) { return overlaps(left, top, size, screen); });
    if (!onAScreen)
        return QRect(layout.primaryAvailable.topLeft(), size);
    return QRect(QPoint(int(left), int(top)), size);
}
