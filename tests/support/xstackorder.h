#pragma once

// Reads the X server's stacking order and runs a real window manager on the test's display, for tests
// of which window lies above which with and without a window manager.

#include <QList>
#include <QObject>
#include <QProcess>

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

// openbox on the test's own display, for as long as the object lives.
class WindowManagerRun
{
public:
    WindowManagerRun() = default;
    ~WindowManagerRun();
    WindowManagerRun(const WindowManagerRun &) = delete;
    WindowManagerRun &operator=(const WindowManagerRun &) = delete;

    // Starts it and waits (up to the bound) until it manages the screen; false if it did not.
    bool start(int timeoutMs = 30000);
    // Whether some window manager owns the screen's selection.
    static bool managing();
    // Waits (up to the bound) until the window manager has handled all the X server gave it before the
    // call, a click's raise included: it answers a request for frame extents after them. Without a
    // manager, until the server has handled this client's requests. False if no answer came.
    static bool settle(int timeoutMs = 10000);

private:
    QProcess m_process;
};
