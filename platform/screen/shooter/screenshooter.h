#pragma once

#include <QImage>
#include <QRect>
#include <QString>
#include <QVector>

#include <memory>

class QScreen;

namespace platform {

// Takes a still picture of the screen under the pointer and writes it as a PNG file: the whole
// screen, one window the user clicks (its frame included), or an area the user drags out. For the
// last two the screen is frozen first: a full-screen overlay shows the still, the user chooses on
// it, and the picture is cut from that still, so what is saved is what the user saw.
class ScreenShooter
{
public:
    enum Mode { FullScreen, Window, Area };

    // The results, as callers of a capture command read its exit status.
    static const int Succeeded = 0;
    static const int GaveUp = 256;
    static const int Failed = 512;

    // The shooter of the chosen screen (ScreenBackend).
    static std::unique_ptr<ScreenShooter> create();

    virtual ~ScreenShooter();

    // Shoots and writes `path`, which must not exist yet: a file is never overwritten. Escape or a
    // right click while choosing gives up (nothing is written). The choice runs a nested event
    // loop; call it on the GUI thread.
    int shoot(Mode mode, const QString &path);

    // Object name of the overlay shown while the user chooses.
    static const char PickerName[];

protected:
    ScreenShooter() = default;

    // The screen's area in device pixels of the desktop.
    static QRect deviceArea(const QScreen *screen);
    // The area (device pixels of the desktop) as an image; null on failure.
    virtual QImage grabArea(const QRect &area) = 0;
    // The top-level windows of other programs, frames included, in device pixels of the desktop,
    // bottom to top.
    virtual QVector<QRect> windowFrames() = 0;

private:
    static bool writePng(const QImage &image, const QString &path);
};

} // namespace platform
