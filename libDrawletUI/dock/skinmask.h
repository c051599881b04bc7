#pragma once

#include "drawletui_global.h"

#include <QRegion>

class QImage;
class QPixmap;

namespace drawlet {
namespace ui {

// The part of a skin a window shows: its pixels at least half opaque. Without a compositing
// manager the clear pixels of a see-through window would show black, so the skinned panels cut
// their windows to this shape; with one, the shape changes nothing visible.
DRAWLETUI_EXPORT QRegion skinMask(const QImage &skin);
DRAWLETUI_EXPORT QRegion skinMask(const QPixmap &skin);

} // namespace ui
} // namespace drawlet
