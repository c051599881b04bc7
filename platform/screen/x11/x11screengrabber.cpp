#include "screen/x11/x11screengrabber.h"

#include <QMutex>
#include <QMutexLocker>
#include <QX11Info>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <cstring>

namespace platform {

struct X11ScreenGrabber::SharedSegment
{
    XShmSegmentInfo info;
};

namespace {

// Xlib reports protocol errors through one process-wide handler whose default ends the process. A
// refused shared-memory attach (a remote or restricted server) must only turn the fast path off, so
// the handler is swapped for a recording one around the calls that may fail.
QMutex errorTrapMutex;
bool errorTrapped = false;

int recordError(Display *, XErrorEvent *)
{
    errorTrapped = true;
    return 0;
}

class ErrorTrap
{
public:
    explicit ErrorTrap(Display *display) : m_display(display), m_locker(&errorTrapMutex)
    {
        XSync(m_display, False);
        errorTrapped = false;
        m_previous = XSetErrorHandler(recordError);
    }
    ~ErrorTrap() { XSetErrorHandler(m_previous); }
    bool failed()
    {
        XSync(m_display, False);
        return errorTrapped;
    }

private:
    Display *m_display;
    QMutexLocker m_locker;
    int (*m_previous)(Display *, XErrorEvent *) = nullptr;
};

// The only layout the copy understands: 32 bits a pixel, blue in the low byte, as every true-colour
// X server on a little-endian machine delivers.
bool isBgrx(const XImage *image)
{
    return image->bits_per_pixel == 32 && image->red_mask == 0xff0000 && image->green_mask == 0xff00
           && image->blue_mask == 0xff && image->byte_order == LSBFirst;
}

} // namespace

X11ScreenGrabber::X11ScreenGrabber(const QByteArray &displayName)
{
    m_display = XOpenDisplay(displayName.isEmpty() ? nullptr : displayName.constData());
    if (!m_display)
        return;
    int major = 0, minor = 0;
    Bool pixmaps = False;
    m_shmAvailable = XShmQueryVersion(m_display, &major, &minor, &pixmaps) == True;
}

QByteArray X11ScreenGrabber::guiDisplayName()
{
    if (!QX11Info::isPlatformX11() || !QX11Info::display())
        return QByteArray();
    return QByteArray(DisplayString(QX11Info::display()));
}

X11ScreenGrabber::~X11ScreenGrabber()
{
    releaseSharedImage();
    if (m_display)
        XCloseDisplay(m_display);
}

QRect X11ScreenGrabber::rootGeometry() const
{
    if (!m_display)
        return QRect();
    const int screen = DefaultScreen(m_display);
    return QRect(0, 0, DisplayWidth(m_display, screen), DisplayHeight(m_display, screen));
}

void X11ScreenGrabber::setSharedMemoryAllowed(bool allowed)
{
    m_shmAllowed = allowed;
    if (!allowed)
        releaseSharedImage();
}

bool X11ScreenGrabber::prepareSharedImage(const QSize &size)
{
    if (m_sharedImage && m_sharedImage->width == size.width() && m_sharedImage->height == size.height())
        return true;
    releaseSharedImage();
    const int screen = DefaultScreen(m_display);
    m_segment = new SharedSegment;
    std::memset(&m_segment->info, 0, sizeof m_segment->info);
    m_segment->info.shmid = -1;
    m_sharedImage = XShmCreateImage(m_display, DefaultVisual(m_display, screen), uint(DefaultDepth(m_display, screen)),
                                    ZPixmap, nullptr, &m_segment->info, uint(size.width()), uint(size.height()));
    if (!m_sharedImage) {
        releaseSharedImage();
        return false;
    }
    const size_t bytes = size_t(m_sharedImage->bytes_per_line) * size_t(m_sharedImage->height);
    m_segment->info.shmid = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    if (m_segment->info.shmid < 0) {
        releaseSharedImage();
        return false;
    }
    void *address = shmat(m_segment->info.shmid, nullptr, 0);
    if (address == reinterpret_cast<void *>(-1)) {
        releaseSharedImage();
        return false;
    }
    m_segment->info.shmaddr = m_sharedImage->data = static_cast<char *>(address);
    m_segment->info.readOnly = False;
    ErrorTrap trap(m_display);
    const bool attached = XShmAttach(m_display, &m_segment->info) && !trap.failed();
    // Marked for removal at once: the segment then goes with the last detach, even after a crash.
    shmctl(m_segment->info.shmid, IPC_RMID, nullptr);
    if (!attached) {
        m_segment->info.shmid = -1; // never attached at the server
        m_shmAvailable = false;
        releaseSharedImage();
        return false;
    }
    return true;
}

void X11ScreenGrabber::releaseSharedImage()
{
    if (m_segment && m_segment->info.shmaddr) {
        if (m_segment->info.shmid >= 0) {
            XShmDetach(m_display, &m_segment->info);
            XSync(m_display, False);
        }
        shmdt(m_segment->info.shmaddr);
    } else if (m_segment && m_segment->info.shmid >= 0) {
        shmctl(m_segment->info.shmid, IPC_RMID, nullptr);
    }
    if (m_sharedImage) {
        m_sharedImage->data = nullptr; // the segment is not Xlib's to free
        XDestroyImage(m_sharedImage);
        m_sharedImage = nullptr;
    }
    delete m_segment;
    m_segment = nullptr;
}

bool X11ScreenGrabber::grabShared(const QRect &area)
{
    if (!prepareSharedImage(area.size()))
        return false;
    ErrorTrap trap(m_display);
    const Bool got = XShmGetImage(m_display, DefaultRootWindow(m_display), m_sharedImage, area.x(), area.y(), AllPlanes);
    return got && !trap.failed();
}

bool X11ScreenGrabber::grab(const QRect &area, QImage &frame)
{
    if (!m_display)
        return false;
    const QRect clipped = area.intersected(rootGeometry());
    if (clipped.isEmpty())
        return false;
    if (usesSharedMemory() && grabShared(clipped))
        return copyPixels(m_sharedImage, frame);

    ErrorTrap trap(m_display);
    XImage *image = XGetImage(m_display, DefaultRootWindow(m_display), clipped.x(), clipped.y(),
                              uint(clipped.width()), uint(clipped.height()), AllPlanes, ZPixmap);
    const bool failed = trap.failed();
    if (!image)
        return false;
    const bool copied = !failed && copyPixels(image, frame);
    XDestroyImage(image);
    return copied;
}

bool X11ScreenGrabber::copyPixels(const void *source, QImage &frame)
{
    const XImage *image = static_cast<const XImage *>(source);
    if (!isBgrx(image))
        return false;
    const QSize size(image->width, image->height);
    if (frame.size() != size || frame.format() != QImage::Format_RGB32 || !frame.isDetached())
        frame = QImage(size, QImage::Format_RGB32);
    if (frame.isNull())
        return false;
    // The server leaves the fourth byte undefined; Format_RGB32 wants it opaque.
    for (int y = 0; y < size.height(); ++y) {
        const quint32 *in = reinterpret_cast<const quint32 *>(image->data + qptrdiff(y) * image->bytes_per_line);
        quint32 *out = reinterpret_cast<quint32 *>(frame.scanLine(y));
        for (int x = 0; x < size.width(); ++x)
            out[x] = in[x] | 0xff000000u;
    }
    return true;
}

} // namespace platform
