#include "desktop/seethroughshape.h"

#include "desktop/nativewindow.h"

namespace platform {

namespace {

int compositingOverride = -1;

} // namespace

bool SeeThroughShape::compositing()
{
    if (compositingOverride >= 0)
        return compositingOverride == 1;
    return NativeWindow::compositingManagerRunning();
}

void SeeThroughShape::setCompositingOverride(int state)
{
    compositingOverride = state;
}

QRegion SeeThroughShape::mask(const QRegion &visible)
{
    if (compositing())
        return QRegion();
    return visible.isEmpty() ? QRegion(-2, -2, 1, 1) : visible;
}

} // namespace platform
