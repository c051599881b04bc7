#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>

namespace platform {

// Tells when the window system may have restacked the screen's windows. A window manager raises a
// window the user clicks, and the window a dialog belongs to when the dialog opens, without asking or
// telling the program; on X11 the root window's children show it. Off X11 the watch never fires.
class StackingWatch : public QObject, public QAbstractNativeEventFilter
{
    Q_OBJECT

public:
    // The process-wide watch, made on first use (once the application object is there).
    static StackingWatch *instance();

    bool nativeEventFilter(const QByteArray &eventType, void *message, long *result) override;

    // How long after the first change of a burst the watch tells of it.
    static constexpr int BurstMs = 30;

signals:
    // Once for a burst of changes.
    void restacked();

private:
    StackingWatch();
    void follow();
    void notice();

    quint32 m_root = 0;
    // Whether the events of the root's children are ours alone: the toolkit did not ask for them, so
    // it is spared them (it would read every one of them as a change of the screen's size).
    bool m_ours = false;
    bool m_pending = false;
};

} // namespace platform
