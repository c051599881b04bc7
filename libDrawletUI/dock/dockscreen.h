#pragma once

#include "drawletui_global.h"

#include <QMargins>
#include <QRect>

namespace drawlet {
namespace ui {

// The primary screen as the docking panels see it: its whole area and the part the desktop panels
// leave free. Everything that places the toolbar frame, its pop-ups and the text panel asks here,
// so a test can stand a screen of its own in for the real one.
class DRAWLETUI_EXPORT DockScreen
{
public:
    // Global coordinates; empty without a screen.
    static QRect geometry();
    static QRect availableGeometry();

    // Space the desktop panels reserve along each edge of the screen (never negative).
    static QMargins insets();

    // Until clearOverride(), geometry() and availableGeometry() answer these instead of the
    // primary screen's.
    static void setOverride(const QRect &geometry, const QRect &available);
    static void clearOverride();

private:
    DockScreen() = delete;
};

} // namespace ui
} // namespace drawlet
