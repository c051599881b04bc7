#pragma once

#include <QObject>

class QSocketNotifier;
struct xcb_connection_t;

namespace platform {

// Tells when the window system may have restacked the screen's windows. A window manager raises a
// window the user clicks, and the window a dialog belongs to when the dialog opens, without asking or
// telling the program; on X11 the root window's children show it. Off X11 the watch never fires.
class StackingWatch : public QObject
{
    Q_OBJECT

public:
    // The process-wide watch, made on first use (once the application object is there).
    static StackingWatch *instance();
    ~StackingWatch() override;

    // How long after the first change of a burst the watch tells of it.
    static constexpr int BurstMs = 30;

signals:
    // Once for a burst of changes.
    void restacked();

private:
    StackingWatch();
    void follow();
    void readEvents();
    void notice();

    // The watch's own connection to the display: see follow().
    xcb_connection_t *m_connection = nullptr;
    QSocketNotifier *m_notifier = nullptr;
    bool m_pending = false;
};

} // namespace platform
