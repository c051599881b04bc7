#include "common/cameralayoutgeometry.h"

namespace {

// Above the bottom of the available area: room for the toolbar docked there.
const int SingleBottomMargin = 46;
const int DualBottomMargin = 49;

} // namespace

QSize CameraLayoutGeometry::sizeFor(int height)
{
    return QSize((height - TitleBarHeight) / 9 * 16, height);
}

QSize CameraLayoutGeometry::smallSize(int screenHeight)
{
    return sizeFor(int(screenHeight * 0.38));
}

QSize CameraLayoutGeometry::largeSize(int screenHeight)
{
    return sizeFor(int(screenHeight * 0.7875));
}

QRect CameraLayoutGeometry::bottomRight(const QSize &size, const QRect &screen, const QRect &available,
                                        int bottomMargin)
{
    // Flush with the screen's right edge; the bottom edge bottomMargin above the available area's.
    return QRect(QPoint(screen.width() - size.width(), available.bottom() - bottomMargin - (size.height() - 1)), size);
}

QRect CameraLayoutGeometry::single(const QRect &screen, const QRect &available)
{
    return bottomRight(smallSize(screen.height()), screen, available, SingleBottomMargin);
}

CameraLayoutGeometry::Places CameraLayoutGeometry::dual(int mode, const QRect &screen, const QRect &available)
{
    const QSize small = smallSize(screen.height());
    const QSize first = mode == 3 ? largeSize(screen.height()) : small;
    Places places;
    places.first = bottomRight(first, screen, available, DualBottomMargin);
    if (mode == 3)
        places.second = bottomRight(small, screen, available, DualBottomMargin);
    else
        places.second = QRect(QPoint(available.right() - (small.width() - 1), available.top()), small);
    return places;
}
