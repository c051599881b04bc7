#pragma once

#include <QByteArray>
#include <QImage>
#include <QRect>

struct _XDisplay;
struct _XImage;

namespace platform {

// One Xlib connection reading rectangles of the root window, through a shared-memory image kept
// from grab to grab when the server allows it. Not thread-safe: one caller at a time.
class X11ScreenGrabber
{
public:
    // Connects to the display named, or to $DISPLAY when the name is empty.
    explicit X11ScreenGrabber(const QByteArray &displayName = QByteArray());
    ~X11ScreenGrabber();
    // The display the program's windows are on when its GUI runs on X11 (a -display argument
    // included); empty otherwise. Asked on the GUI thread.
    static QByteArray guiDisplayName();
    X11ScreenGrabber(const X11ScreenGrabber &) = delete;
    X11ScreenGrabber &operator=(const X11ScreenGrabber &) = delete;

    bool isOpen() const { return m_display != nullptr; }
    // The root window's size.
    QRect rootGeometry() const;
    bool usesSharedMemory() const { return m_shmAvailable && m_shmAllowed; }
    void setSharedMemoryAllowed(bool allowed);

    // Copies `area` of the root window into `frame` (Format_RGB32, reused when it fits).
    bool grab(const QRect &area, QImage &frame);

private:
    bool prepareSharedImage(const QSize &size);
    void releaseSharedImage();
    bool grabShared(const QRect &area);
    static bool copyPixels(const void *image, QImage &frame);

    ::_XDisplay *m_display = nullptr;
    ::_XImage *m_sharedImage = nullptr;
    struct SharedSegment;
    SharedSegment *m_segment = nullptr;
    bool m_shmAvailable = false;
    bool m_shmAllowed = true;
};

} // namespace platform
