#include "seethroughmask.h"

#include "desktop/seethroughshape.h"

#include <QWidget>

bool SeeThroughMask::compositing()
{
    return platform::SeeThroughShape::compositing();
}

void SeeThroughMask::setCompositingOverride(int state)
{
    platform::SeeThroughShape::setCompositingOverride(state);
}

void SeeThroughMask::apply(QWidget *window, const QRegion &visible)
{
    if (!window)
        return;
    // An empty mask is no shape: the window shows whole.
    const QRegion shape = platform::SeeThroughShape::mask(visible);
    if (window->mask() != shape)
        window->setMask(shape);
}
