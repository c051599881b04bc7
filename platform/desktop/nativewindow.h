#pragma once

#include <QList>
#include <QtGlobal>

class QWindow;

namespace platform {

// The native window behaviours the programs need, on X11 through Qt's window flags: a window manager
// gives us the rest (stacking, desktops, shadows) from the hints these set.
class NativeWindow
{
public:
    // Keeps the window above normal windows.
    static void setStayOnTop(QWindow *window, bool onTop);
    // Brings the window to the front; a stay-on-top window is put back into the window manager's
    // stay-on-top layer first. A manager drops a window's states when it is withdrawn, and when the
    // window is hidden and shown again at once it may do so after the window asked for them anew.
    static void raise(QWindow *window);
    // Waits (a bounded while) until a window manager has taken a shown window in, or let go of a hidden
    // one, so that it can be hidden or shown again: a window hidden and shown before the manager has
    // caught up can end up withdrawn, off the screen, while the program thinks it shown. Returns at
    // once without a manager.
    static void waitUntilSettled(QWindow *window, int timeoutMs = 1000);
    // Returns once a shown window is on the screen: exposed (and so drawn by the program) and what it
    // drew done by the X server, which runs the requests of a client in order, so a round trip after
    // the drawing is through them all. A window shown and hidden again without this can be gone before
    // the server ever drew it. False when the window was not exposed within the bound.
    static bool waitUntilOnScreen(QWindow *window, int timeoutMs = 1000);
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
    // Whether a window manager runs that can iconify a window (ICCCM: it owns the screen's manager
    // selection). Without one a minimised window stays on the screen as it was. Always true off X11.
    static bool canMinimize();
    // Where each window lies among the screen's top-level windows, counted from the bottom (under a
    // window manager, where the frame it gave the window lies); -1 for a window that is not on the
    // screen. One read of the stack serves all the windows. Off X11 every window is -1.
    static QList<int> stackLevels(const QList<QWindow *> &windows);

private:
    static void askForStayOnTop(QWindow *window);
    static void roundTrip();
    static bool managerRunning();
    // The window manager's WM_STATE of the window: 0 when it has none or says withdrawn.
    static quint32 managedState(QWindow *window);
    static bool overrideRedirect(QWindow *window);

    NativeWindow() = delete;
};

} // namespace platform
