#include "dockscreen.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>

namespace drawlet {
namespace ui {

namespace {

struct Override
{
    bool active = false;
    QRect geometry;
    QRect available;
};

Override & override()
{
    static Override value;
    return value;
}

const QScreen *primaryScreen()
{
    return qobject_cast<QGuiApplication *>(QCoreApplication::instance())
        ? QGuiApplication::primaryScreen()
        : nullptr;
}

} // namespace

QRect DockScreen::geometry()
{
    if (override().active)
        return override().geometry;
    const QScreen *screen = primaryScreen();
    return screen ? screen->geometry() : QRect();
}

QRect DockScreen::availableGeometry()
{
    if (override().active)
        return override().available;
    const QScreen *screen = primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

QMargins DockScreen::insets()
{
    const QRect full = geometry();
    const QRect available = availableGeometry();
    if (available.isEmpty())
        return QMargins();
    return QMargins(std::max(0, available.left() - full.left()),
                    std::max(0, available.top() - full.top()),
                    std::max(0, full.right() - available.right()),
                    std::max(0, full.bottom() - available.bottom()));
}

void DockScreen::setOverride(const QRect &geometry, const QRect &available)
{
    override() = Override {true, geometry, available.isValid() ? available : geometry};
}

void DockScreen::clearOverride()
{
    override() = Override();
}

} // namespace ui
} // namespace drawlet
