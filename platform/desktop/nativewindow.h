#pragma once

class QWindow;

namespace platform {

// The native window behaviours the programs need, on X11 through Qt's window flags: a window manager
// gives us the rest (stacking, desktops, shadows) from the hints these set.
class NativeWindow
{
public:
    // Keeps the window above normal windows.
    static void setStayOnTop(QWindow *window, bool onTop);
    // Asks the window manager (or compositor) to draw no shadow around the window.
    static void setShadow(QWindow *window, bool shadow);
    // Makes the window system draw the window afresh: the native frame is grown by one pixel and put
    // back, which also makes a compositor drop what it cached of it.
    static void forceRedraw(QWindow *window);
    // Keeps the window on the desktop it was opened on rather than on every desktop.
    static void keepOnCurrentDesktop(QWindow *window);
    // Whether a compositing manager draws the display: without one, see-through windows show black
    // where they are transparent. Always true off X11, where the window system composes itself.
    static bool compositingManagerRunning();

private:
    NativeWindow() = delete;
};

} // namespace platform
