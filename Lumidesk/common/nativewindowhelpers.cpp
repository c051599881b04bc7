#include "common/nativewindowhelpers.h"

#include "desktop/nativewindow.h"

#include <QWidget>
#include <QWindow>

using platform::NativeWindow;

void windowUpdate(QWidget *widget)
{
    if (!widget)
        return;
    NativeWindow::forceRedraw(widget->windowHandle());
    widget->update();
}

void setShadow(QWidget *widget)
{
    if (!widget)
        return;
    // A hidden window (the toolbar behind the first-run guide) gets the hint on the widget, so its
    // native window is made with it when it is first shown; changing a shown widget's flags would
    // hide it, so a shown one gets it on its native window.
    if (!widget->isVisible())
        widget->setWindowFlag(Qt::NoDropShadowWindowHint, true);
    else
        NativeWindow::setShadow(widget->windowHandle(), false);
}

void keepCurrentDesktop(QWidget *widget)
{
    if (widget)
        NativeWindow::keepOnCurrentDesktop(widget->windowHandle());
}

bool canMinimize()
{
    return NativeWindow::canMinimize();
}
