#include "seethroughmask.h"

#include "desktop/nativewindow.h"

#include <QWidget>

namespace {

int compositingOverride = -1;

} // namespace

bool SeeThroughMask::compositing()
{
    if (compositingOverride >= 0)
        return compositingOverride == 1;
    return platform::NativeWindow::compositingManagerRunning();
}

void SeeThroughMask::setCompositingOverride(int state)
{
    compositingOverride = state;
}

void SeeThroughMask::apply(QWidget *window, const QRegion &visible)
{
    if (!window)
        return;
    if (compositing()) {
        if (!window->mask().isEmpty())
            window->clearMask();
        return;
    }
    // An empty region would mean "no shape" to Qt: a rectangle outside the window leaves none of it.
    const QRegion shape = visible.isEmpty() ? QRegion(-2, -2, 1, 1) : visible;
    if (window->mask() != shape)
        window->setMask(shape);
}
