#pragma once

#include <QRegion>

namespace platform {

// See-through windows without a compositing manager. A translucent window's clear pixels show what
// lies below it only when a compositor blends them; on a plain X server they come out black. There a
// window is cut down to what it shows (an X shape), and the window system shows whatever lies below
// through the rest; with a compositor it keeps its translucent look and no shape.
class SeeThroughShape
{
public:
    // Whether a compositing manager runs on the display (always true off X11).
    static bool compositing();
    // For tests: 1 as if a compositor ran, 0 as if none did, -1 to ask the display again.
    static void setCompositingOverride(int state);

    // The mask for a window that should show `visible` and nothing else: none (an empty region) while
    // a compositor runs, else `visible`. An empty `visible` gives a spot outside any window, as an
    // empty mask would mean no shape at all.
    static QRegion mask(const QRegion &visible);

private:
    SeeThroughShape() = delete;
};

} // namespace platform
