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

Override &override()
{
    static Override value;
    return value;
}

const QScreen *primaryScreen()
{
    return qobject_cast<QGuiApplication *>(QCoreApplication::instance()) ? QGuiApplication::primaryScreen()
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

int DockScreen::topInset()
{
    const QRect available = availableGeometry();
    return available.isEmpty() ? 0 : std::max(0, available.top() - geometry().top());
}

int DockScreen::bottomInset()
{
    const QRect available = availableGeometry();
    return available.isEmpty() ? 0 : std::max(0, geometry().bottom() - available.bottom());
}

int DockScreen::leftInset()
{
    const QRect available = availableGeometry();
    return available.isEmpty() ? 0 : std::max(0, available.left() - geometry().left());
}

int DockScreen::rightInset()
{
    const QRect available = availableGeometry();
    return available.isEmpty() ? 0 : std::max(0, geometry().right() - available.right());
}

void DockScreen::setOverride(const QRect &geometry, const QRect &available)
{
    override() = Override{true, geometry, available.isValid() ? available : geometry};
}

void DockScreen::clearOverride()
{
    override() = Override();
}

} // namespace ui
} // namespace drawlet
