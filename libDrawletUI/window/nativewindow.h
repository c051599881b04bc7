#pragma once

#include "drawletui_global.h"

#include <QRect>
#include <QString>

class QWidget;

// Window helpers for the annotation windows. On X11 they act through Qt's window flags and
// geometry: a window "level" is stay-on-top plus a fixed raise order among the annotation windows.

// Stays on top, above every window of a lower offset; accepts input; no shadow.
DRAWLETUI_EXPORT void setWidgetLevel(QWidget *widget, int offset);
// true lets every click pass through to what lies below.
DRAWLETUI_EXPORT void setMouseTransparent(QWidget *widget, bool transparent);
// Forces a redraw: one unit wider and back again.
DRAWLETUI_EXPORT void windowUpdate(QWidget *widget);
// keepOrigin false keeps the top edge, true keeps the bottom edge where it is.
DRAWLETUI_EXPORT void setWindowSize(QWidget *widget, int width, int height, bool keepOrigin);
DRAWLETUI_EXPORT void setShadow(QWidget *widget);
// Tool tips need no native help here.
DRAWLETUI_EXPORT void setCocoaToolTip(QWidget *widget, QString *text);
// The primary screen's area without the desktop panels, with its origin at the bottom-left corner
// of the screen (y grows upwards), as the docking code expects. All zero without a screen.
DRAWLETUI_EXPORT QRect macMainAppLocation();
// The height of the panel at the top of the primary screen (the space it reserves); callers use
// only the height.
DRAWLETUI_EXPORT QRect getStatusBarSize();
