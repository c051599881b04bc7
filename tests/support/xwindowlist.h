#pragma once

// Reads the top-level windows of a process from the X server as a taskbar or window list reads them:
// each window's titles and its EWMH states, inside the frame a window manager gave it.

#include <QList>
#include <QString>
#include <QStringList>

struct XListedWindow
{
    quint32 id = 0;
    // The root's child that holds it: the frame a window manager made for it, or the window itself. A
    // manager makes a new frame each time it takes the window in.
    quint32 frame = 0;
    // _NET_WM_NAME (UTF-8) and WM_NAME, as the window set them.
    QString netName;
    QString name;
    // The names of the atoms in _NET_WM_STATE.
    QStringList states;
    // A window that bypasses the window manager (a menu, a tool tip): no taskbar lists it.
    bool overrideRedirect = false;

    bool skipsTaskbar() const { return states.contains(QStringLiteral("_NET_WM_STATE_SKIP_TASKBAR")); }
    bool skipsPager() const { return states.contains(QStringLiteral("_NET_WM_STATE_SKIP_PAGER")); }
};

class XWindowList
{
public:
    // The mapped top-level windows of the process, bottom to top: a window itself on a bare server, the
    // window inside its frame under a window manager.
    static QList<XListedWindow> mappedWindowsOf(qint64 pid);
    // Each of those a taskbar could list (menus and tool tips bypass the manager: none lists them), as
    // "title: entry" or "title: kept out" (of the taskbar and the pager), sorted. A title that is not
    // the same in _NET_WM_NAME and WM_NAME, or a window left out of the taskbar but not the pager (or
    // the other way round), shows as such.
    static QStringList taskbarLines(qint64 pid);

private:
    XWindowList() = delete;
};
