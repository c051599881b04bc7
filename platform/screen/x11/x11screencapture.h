#pragma once

#include "screen/screencapture.h"

#include <QMutex>

#include <atomic>
#include <memory>

namespace platform {

class X11ScreenGrabber;

// The primary screen of the X11 desktop. Grabs go through a display connection of its own (so the
// sampling thread never touches the GUI thread's connection), opened by the first grab, into shared
// memory (MIT-SHM) when the server offers it, which spares the copy through the socket; without it
// each grab is a plain GetImage. Where no X display can be opened, grabs on the GUI thread fall back to
// Qt's screen grab.
class X11ScreenCapture : public ScreenCapture
{
    Q_OBJECT

public:
    explicit X11ScreenCapture(QObject *parent = nullptr);
    ~X11ScreenCapture() override;

    QRect primaryScreenGeometry() const override;

    // How the last grab was made, for the benchmark: "xshm", "xgetimage" or "qt".
    QByteArray grabMethod() const;
    // Turns the shared-memory path off, to compare it with a plain GetImage.
    void setSharedMemoryAllowed(bool allowed);

protected:
    bool grabInto(QImage &frame) override;

private:
    void updateGeometry();
    bool grabWithQt(QImage &frame, const QRect &geometry);

    mutable QMutex m_geometryMutex;
    QRect m_geometry;
    // Made under the grab lock by the first grab: the program makes its desktop capture at start, and
    // opening a display connection is a round trip to the server it need not wait for then.
    std::unique_ptr<X11ScreenGrabber> m_grabber;
    // Read on the GUI thread at construction: the grabber is made on whichever thread grabs first.
    QByteArray m_displayName;
    QByteArray m_method;
    std::atomic<bool> m_sharedMemoryAllowed{true};
};

} // namespace platform
