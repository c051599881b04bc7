#include "xwindowlist.h"

#include <QX11Info>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

template<typename Reply>
using Owned = std::unique_ptr<Reply, decltype(&free)>;

xcb_atom_t atom(const char *name)
{
    xcb_connection_t *c = QX11Info::connection();
    const Owned<xcb_intern_atom_reply_t> reply(
            xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(strlen(name)), name), nullptr), &free);
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

QString atomName(xcb_atom_t value)
{
    xcb_connection_t *c = QX11Info::connection();
    const Owned<xcb_get_atom_name_reply_t> reply(xcb_get_atom_name_reply(c, xcb_get_atom_name(c, value), nullptr),
                                                 &free);
    if (!reply)
        return QString();
    return QString::fromLatin1(xcb_get_atom_name_name(reply.get()), xcb_get_atom_name_name_length(reply.get()));
}

// The property's bytes, of any type; null when the window has none.
QByteArray property(xcb_window_t window, xcb_atom_t name)
{
    xcb_connection_t *c = QX11Info::connection();
    const Owned<xcb_get_property_reply_t> reply(
            xcb_get_property_reply(c, xcb_get_property(c, 0, window, name, XCB_GET_PROPERTY_TYPE_ANY, 0, 4096),
                                   nullptr),
            &free);
    if (!reply || reply->type == XCB_ATOM_NONE)
        return QByteArray();
    return QByteArray(static_cast<const char *>(xcb_get_property_value(reply.get())),
                      xcb_get_property_value_length(reply.get()));
}

QList<xcb_window_t> childrenOf(xcb_window_t window)
{
    xcb_connection_t *c = QX11Info::connection();
    QList<xcb_window_t> children;
    const Owned<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(c, xcb_query_tree(c, window), nullptr), &free);
    if (!tree)
        return children;
    const xcb_window_t *each = xcb_query_tree_children(tree.get());
    for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i)
        children.append(each[i]);
    return children;
}

// The application's window in a root child: the child itself when it carries a process id, else the
// window inside the frame that a window manager marked with WM_STATE.
xcb_window_t clientIn(xcb_window_t top, xcb_atom_t pidAtom, xcb_atom_t wmState, int depth = 0)
{
    if (!property(top, pidAtom).isNull() || !property(top, wmState).isNull())
        return top;
    if (depth == 3)
        return XCB_WINDOW_NONE;
    for (xcb_window_t child : childrenOf(top)) {
        const xcb_window_t client = clientIn(child, pidAtom, wmState, depth + 1);
        if (client != XCB_WINDOW_NONE)
            return client;
    }
    return XCB_WINDOW_NONE;
}

} // namespace

QList<XListedWindow> XWindowList::mappedWindowsOf(qint64 pid)
{
    xcb_connection_t *c = QX11Info::connection();
    const xcb_atom_t pidAtom = atom("_NET_WM_PID");
    const xcb_atom_t wmState = atom("WM_STATE");
    QList<XListedWindow> windows;
    for (xcb_window_t top : childrenOf(QX11Info::appRootWindow())) {
        const Owned<xcb_get_window_attributes_reply_t> attributes(
                xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, top), nullptr), &free);
        if (!attributes || attributes->map_state != XCB_MAP_STATE_VIEWABLE)
            continue;
        const xcb_window_t client = clientIn(top, pidAtom, wmState);
        const QByteArray owner = property(client, pidAtom);
        if (owner.size() != 4 || *reinterpret_cast<const quint32 *>(owner.constData()) != quint32(pid))
            continue;
        XListedWindow window;
        window.id = client;
        window.frame = top;
        window.netName = QString::fromUtf8(property(client, atom("_NET_WM_NAME")));
        window.name = QString::fromLatin1(property(client, XCB_ATOM_WM_NAME));
        const QByteArray states = property(client, atom("_NET_WM_STATE"));
        for (int i = 0; i + 4 <= states.size(); i += 4)
            window.states.append(atomName(*reinterpret_cast<const xcb_atom_t *>(states.constData() + i)));
        window.overrideRedirect = attributes->override_redirect;
        windows.append(window);
    }
    return windows;
}

QStringList XWindowList::taskbarLines(qint64 pid)
{
    QStringList lines;
    for (const XListedWindow &window : mappedWindowsOf(pid)) {
        if (window.overrideRedirect)
            continue;
        QString title = window.netName;
        if (window.name != window.netName)
            title += QStringLiteral(" (WM_NAME \"%1\")").arg(window.name);
        QString state = QStringLiteral("entry");
        if (window.skipsTaskbar() || window.skipsPager())
            state = window.skipsTaskbar() && window.skipsPager() ? QStringLiteral("kept out")
                                                                  : window.states.join(QLatin1Char(' '));
        lines.append(title + QStringLiteral(": ") + state);
    }
    std::sort(lines.begin(), lines.end());
    return lines;
}
