#pragma once

#include "drawletui_global.h"

class QDockWidget;

namespace drawlet {
namespace ui {

// Makes a floating dock widget a bare panel: transparent, no frame, no title bar and no float or
// close buttons, so its content starts at its top-left corner. On X11 Qt does not leave floating
// docks to the window manager's decorations but draws a title bar of its own inside the widget.
DRAWLETUI_EXPORT void makeBareDock(QDockWidget *dock);

} // namespace ui
} // namespace drawlet
