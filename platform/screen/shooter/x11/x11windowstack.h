#pragma once

#include <QRect>
#include <QSet>
#include <QVector>

namespace platform {

// The top-level windows the X server shows, read over a connection of our own (xcb reports a
// vanished window as a failed reply, never through a process-wide error handler).
class X11WindowStack
{
public:
    // Frames of the mapped top-level windows in root coordinates, borders included, bottom to top.
    // A window listed in `ignored`, or a window manager's frame around one, is left out.
    static QVector<QRect> frames(const QSet<quint32> &ignored);

private:
    X11WindowStack() = delete;
};

} // namespace platform
