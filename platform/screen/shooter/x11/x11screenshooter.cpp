#include "screen/shooter/x11/x11screenshooter.h"

#include "screen/shooter/x11/x11windowstack.h"
#include "screen/x11/x11screengrabber.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWindow>

namespace platform {

X11ScreenShooter::X11ScreenShooter() = default;

X11ScreenShooter::~X11ScreenShooter() = default;

QImage X11ScreenShooter::grabArea(const QRect &area)
{
    X11ScreenGrabber grabber;
    QImage image;
    if (grabber.isOpen() && grabber.grab(area, image))
        return image;
    // No Xlib connection of our own: Qt reads the root window for us.
    QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return QImage();
    const qreal ratio = screen->devicePixelRatio();
    return screen->grabWindow(0, qRound(area.x() / ratio), qRound(area.y() / ratio), qRound(area.width() / ratio),
                              qRound(area.height() / ratio))
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
}

QVector<QRect> X11ScreenShooter::windowFrames()
{
    QSet<quint32> own;
    for (const QWindow *window : QGuiApplication::allWindows()) {
        if (window->handle())
            own.insert(quint32(window->winId()));
    }
    return X11WindowStack::frames(own);
}

} // namespace platform
