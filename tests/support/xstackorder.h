#pragma once

// Reads the X server's stacking order and runs a real window manager on the test's display, for tests
// of which window lies above which with and without a window manager.

#include <QList>
#include <QObject>
#include <QProcess>
#include <QStringList>

class QWidget;

class XStackOrder
{
public:
    // The root window's children from bottom to top, as the server stacks them.
    static QList<quint32> rootStack();
    // Where the widget's window lies in that stack (its frame's place under a window manager, which
    // puts each window into a frame of its own); -1 when it is not mapped on the root.
    static int levelOf(const QWidget *widget);
    // Whether each of `upper` lies above every one of `lower` that is on screen.
    static bool above(const QList<const QWidget *> &upper, const QList<const QWidget *> &lower);
    // The widgets by name from bottom to top, for a failure's message.
    static QString describe(const QList<QPair<QString, const QWidget *>> &widgets);

private:
    XStackOrder() = delete;
};

// What a window manager says of the screen's windows (EWMH), read by the test as a pager or taskbar would.
class XManagerView
{
public:
    // _NET_CLIENT_LIST_STACKING: the managed windows from bottom to top.
    static QList<quint32> clientStacking();
    // _NET_CLIENT_LIST: the managed windows in the order they were mapped.
    static QList<quint32> clients();
    // _NET_ACTIVE_WINDOW; 0 when none.
    static quint32 activeWindow();
    // The window's _NET_WM_STATE, by atom name ("_NET_WM_STATE_ABOVE", ...).
    static QStringList states(quint32 window);
    // The widget's own X window (not the frame a manager gave it); 0 when it has none.
    static quint32 windowOf(const QWidget *widget);
    // Waits (up to the bound) until nothing has changed on the screen for `quietMs`: no window of the
    // root's tree mapped, moved, restacked or given a new property, past every correction a program or
    // manager makes. False when it never got quiet.
    static bool waitUntilQuiet(int quietMs = 100, int timeoutMs = 15000);

private:
    XManagerView() = delete;
};

// A real window manager on the test's own display, for as long as the object lives.
class WindowManagerRun
{
public:
    // xfwm4 runs with its compositor on, as Xfce starts it; icewm with its taskbar.
    enum Manager { Openbox, Xfwm4, Icewm };

    explicit WindowManagerRun(Manager manager = Openbox) : m_manager(manager) {}
    ~WindowManagerRun();
    WindowManagerRun(const WindowManagerRun &) = delete;
    WindowManagerRun &operator=(const WindowManagerRun &) = delete;

    static QString name(Manager manager);
    // Starts it and waits (up to the bound) until it manages the screen; false if it did not.
    bool start(int timeoutMs = 30000);
    // Ends it and waits until the screen's selection is free again.
    void stop();
    // Whether some window manager owns the screen's selection.
    static bool managing();
    // Waits (up to the bound) until the window manager has handled all the X server gave it before the
    // call, a click's raise included: it answers a request for frame extents after them. Without a
    // manager, until the server has handled this client's requests. False if no answer came.
    static bool settle(int timeoutMs = 10000);

private:
    // Whether the manager has put up its EWMH check window: its lists are kept from then on.
    static bool ewmhReady();

    Manager m_manager;
    QProcess m_process;
};
