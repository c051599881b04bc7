#pragma once

#include <QRect>
#include <QSize>

// Sizes and places of the camera windows in each camera layout, from the primary screen and its
// available area. A window is a 16:9 picture under a 30-pixel title bar: the small one takes 38 % of
// the screen's height, the large one (picture in picture) 78.75 %.
class CameraLayoutGeometry
{
public:
    static constexpr int TitleBarHeight = 30;

    struct Places
    {
        QRect first;
        QRect second; // null when the layout has one window
    };

    static QSize smallSize(int screenHeight);
    static QSize largeSize(int screenHeight);

    // Layout 1: one small window at the right, above the bottom of the available area.
    static QRect single(const QRect &screen, const QRect &available);
    // Layouts 2 (two small windows, the second at the top right) and 3 (a large first window with the
    // small second one in its bottom right corner).
    static Places dual(int mode, const QRect &screen, const QRect &available);

private:
    CameraLayoutGeometry() = delete;
    static QSize sizeFor(int height);
    static QRect bottomRight(const QSize &size, const QRect &screen, const QRect &available, int bottomMargin);
};
