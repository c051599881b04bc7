#include "desktop/nativewindow.h"

#include <QGuiApplication>
#include <QWindow>
#include <QX11Info>

namespace platform {

void NativeWindow::setStayOnTop(QWindow *window, bool onTop)
{
    if (!window)
        return;
    window->setFlag(Qt::WindowStaysOnTopHint, onTop);
    if (onTop && window->isVisible())
        window->raise();
}

void NativeWindow::setShadow(QWindow *window, bool shadow)
{
    if (!window)
        return;
    window->setFlag(Qt::NoDropShadowWindowHint, !shadow);
}

void NativeWindow::forceRedraw(QWindow *window)
{
    if (!window)
        return;
    const QRect frame = window->geometry();
    window->setGeometry(QRect(frame.topLeft(), QSize(frame.width() + 1, frame.height())));
    window->setGeometry(frame);
    window->requestUpdate();
}

void NativeWindow::keepOnCurrentDesktop(QWindow *window)
{
    // An X11 window that does not ask to be sticky stays on the desktop it was mapped on, and Qt
    // never makes ours sticky: there is nothing to ask of the window manager.
    Q_UNUSED(window)
}

bool NativeWindow::compositingManagerRunning()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return true;
    return QX11Info::isCompositingManagerRunning();
}

} // namespace platform
