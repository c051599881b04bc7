#include "screen/x11/x11screencapture.h"

#include "screen/x11/x11screengrabber.h"

#include <QGuiApplication>
#include <QMutexLocker>
#include <QPixmap>
#include <QScreen>
#include <QThread>

namespace platform {

X11ScreenCapture::X11ScreenCapture(QObject *parent)
    : ScreenCapture(parent), m_displayName(X11ScreenGrabber::guiDisplayName())
{
    // QScreen may only be read on the GUI thread, so its geometry is kept here for the sampling
    // thread and refreshed whenever the screens change.
    if (auto *application = qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
        connect(application, &QGuiApplication::primaryScreenChanged, this, &X11ScreenCapture::updateGeometry);
        connect(application, &QGuiApplication::screenAdded, this, &X11ScreenCapture::updateGeometry);
        connect(application, &QGuiApplication::screenRemoved, this, &X11ScreenCapture::updateGeometry);
        for (QScreen *screen : QGuiApplication::screens())
            connect(screen, &QScreen::geometryChanged, this, &X11ScreenCapture::updateGeometry);
    }
    updateGeometry();
}

X11ScreenCapture::~X11ScreenCapture()
{
    stopSampling();
}

void X11ScreenCapture::updateGeometry()
{
    QRect geometry;
    if (qobject_cast<QGuiApplication *>(QCoreApplication::instance()) && QGuiApplication::primaryScreen()) {
        QScreen *screen = QGuiApplication::primaryScreen();
        connect(screen, &QScreen::geometryChanged, this, &X11ScreenCapture::updateGeometry, Qt::UniqueConnection);
        // Desktop pixels: the grab reads the root window, which knows no scaling.
        geometry = QRect(screen->geometry().topLeft() * screen->devicePixelRatio(),
                         screen->geometry().size() * screen->devicePixelRatio());
    }
    // Without Qt's screens (the offscreen platform, a program without a GUI) the whole root window, asked
    // on a connection of the moment: the grabber belongs to whichever thread holds the grab lock.
    if (geometry.isEmpty()) {
        const X11ScreenGrabber root(m_displayName);
        if (root.isOpen())
            geometry = root.rootGeometry();
    }
    QMutexLocker locker(&m_geometryMutex);
    m_geometry = geometry;
}

QRect X11ScreenCapture::primaryScreenGeometry() const
{
    QMutexLocker locker(&m_geometryMutex);
    return m_geometry;
}

QByteArray X11ScreenCapture::grabMethod() const
{
    QMutexLocker locker(&m_geometryMutex);
    return m_method;
}

void X11ScreenCapture::setSharedMemoryAllowed(bool allowed)
{
    // Applied by the next grab: the grabber belongs to whichever thread holds the grab lock.
    m_sharedMemoryAllowed = allowed;
}

bool X11ScreenCapture::grabWithQt(QImage &frame, const QRect &geometry)
{
    QScreen *screen = qobject_cast<QGuiApplication *>(QCoreApplication::instance()) ? QGuiApplication::primaryScreen()
                                                                                      : nullptr;
    if (!screen || QThread::currentThread() != QCoreApplication::instance()->thread())
        return false;
    const QImage image = screen->grabWindow(0, geometry.x(), geometry.y(), geometry.width(), geometry.height()).toImage();
    if (image.isNull())
        return false;
    frame = image.convertToFormat(QImage::Format_RGB32);
    return !frame.isNull();
}

bool X11ScreenCapture::grabInto(QImage &frame)
{
    const QRect geometry = primaryScreenGeometry();
    if (geometry.isEmpty())
        return false;
    QByteArray method;
    bool grabbed = false;
    if (!m_grabber)
        m_grabber = std::make_unique<X11ScreenGrabber>(m_displayName);
    if (m_grabber->isOpen()) {
        if (m_grabber->usesSharedMemory() != m_sharedMemoryAllowed)
            m_grabber->setSharedMemoryAllowed(m_sharedMemoryAllowed);
        method = m_grabber->usesSharedMemory() ? "xshm" : "xgetimage";
        grabbed = m_grabber->grab(geometry, frame);
        if (grabbed && method == "xshm" && !m_grabber->usesSharedMemory())
            method = "xgetimage";
    } else {
        method = "qt";
        grabbed = grabWithQt(frame, geometry);
    }
    QMutexLocker locker(&m_geometryMutex);
    m_method = method;
    return grabbed;
}

} // namespace platform
