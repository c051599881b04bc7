#pragma once

#include "screen/shooter/screenshooter.h"

namespace platform {

// Screen pictures on X11: the root window read directly (shared memory where the server allows),
// windows found in the server's own stacking order.
class X11ScreenShooter : public ScreenShooter
{
public:
    X11ScreenShooter();
    ~X11ScreenShooter() override;

protected:
    QImage grabArea(const QRect &area) override;
    // Our own program's windows (the annotation overlay above everything) are never offered.
    QVector<QRect> windowFrames() override;
};

} // namespace platform
