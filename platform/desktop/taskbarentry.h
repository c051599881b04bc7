#pragma once

#include <functional>

class QObject;
class QWindow;

namespace platform {

// Keeps a window out of the desktop's taskbar (or window list) and its pager: the pop-ups, dialogs and
// companion windows that belong to a window with an entry of its own. On X11 these are the window's
// states _NET_WM_STATE_SKIP_TASKBAR and _NET_WM_STATE_SKIP_PAGER, which Qt sets for no window flag
// (a Qt::Tool or Qt::Dialog window is only typed a utility or dialog window, which many taskbars list
// all the same; a Qt::Popup or Qt::ToolTip window bypasses the window manager and is listed by none,
// so nothing is asked for it). The window's own flags stay as they are.
class TaskbarEntry
{
public:
    // From the window's next showing on, at every showing, for as long as the widget lives; a window
    // on screen already is left out at once. A window manager drops a window's states when it is
    // hidden, so they are asked for again each time it is shown.
    template<typename Widget>
    static void keepOut(Widget *widget)
    {
        if (widget)
            watch(widget, [widget] { return widget->windowHandle(); });
    }

private:
    // `nativeWindow` gives the watched widget's current native window, which Qt makes anew when the
    // widget's flags change.
    static void watch(QObject *widget, std::function<QWindow *()> nativeWindow);

    TaskbarEntry() = delete;
};

} // namespace platform
