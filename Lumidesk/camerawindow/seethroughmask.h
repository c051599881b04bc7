#pragma once

#include <QRegion>

class QWidget;

// See-through windows without a compositing manager. A translucent window's clear pixels show what
// lies below it only when a compositor blends them; on a plain X server they come out black, so the
// camera window and its overlays would hide the live picture. There the windows get a shape that
// leaves out what should be clear (the window system then shows the preview window through the gap);
// with a compositor they keep their translucent look and no shape. The choice is the platform layer's
// (platform::SeeThroughShape), which the record and live panel follows too.
class SeeThroughMask
{
public:
    // Whether a compositing manager runs on the display (always true off X11).
    static bool compositing();
    // For tests: 1 as if a compositor ran, 0 as if none did, -1 to ask the display again.
    static void setCompositingOverride(int state);

    // Gives the window the shape `visible` when no compositor runs, and no shape when one does. An
    // empty `visible` leaves nothing of the window to see (but it stays open).
    static void apply(QWidget *window, const QRegion &visible);

private:
    SeeThroughMask() = delete;
};
