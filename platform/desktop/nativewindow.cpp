#include "desktop/nativewindow.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QThread>
#include <QTimer>
#include <QVector>
#include <QWindow>
#include <QX11Info>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace platform {

namespace {

xcb_atom_t internAtom(xcb_connection_t *connection, const char *name)
{
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(
            connection, xcb_intern_atom(connection, 0, uint16_t(strlen(name)), name), nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    free(reply);
    return atom;
}

template<typename Reply>
struct FreeReply
{
    void operator()(Reply *reply) const { free(reply); }
};

template<typename Reply>
using Owned = std::unique_ptr<Reply, FreeReply<Reply>>;

} // namespace

void NativeWindow::setStayOnTop(QWindow *window, bool onTop)
{
    if (!window)
        return;
    window->setFlag(Qt::WindowStaysOnTopHint, onTop);
    if (onTop && window->isVisible())
        window->raise();
}

void NativeWindow::raise(QWindow *window)
{
    if (!window || !window->isVisible())
        return;
    if (window->flags().testFlag(Qt::WindowStaysOnTopHint) && QGuiApplication::platformName() == QLatin1String("xcb"))
        askForStayOnTop(window);
    window->raise();
}

void NativeWindow::askForStayOnTop(QWindow *window)
{
    // Without a window manager the message reaches nobody and the raise alone does it.
    xcb_connection_t *connection = QX11Info::connection();
    if (!connection)
        return;
    const xcb_atom_t state = internAtom(connection, "_NET_WM_STATE");
    const xcb_atom_t above = internAtom(connection, "_NET_WM_STATE_ABOVE");
    if (state == XCB_ATOM_NONE || above == XCB_ATOM_NONE)
        return;
    xcb_client_message_event_t message;
    memset(&message, 0, sizeof message);
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = xcb_window_t(window->winId());
    message.type = state;
    message.data.data32[0] = 1; // add
    message.data.data32[1] = above;
    message.data.data32[3] = 1; // from an application
    xcb_send_event(connection, 0, QX11Info::appRootWindow(),
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char *>(&message));
}

void NativeWindow::waitUntilSettled(QWindow *window, int timeoutMs)
{
    if (!window || QGuiApplication::platformName() != QLatin1String("xcb") || !window->handle() || !managerRunning()
        || overrideRedirect(window))
        return;
    // The manager tells that it has taken a window in by giving it a WM_STATE, and that it is done with
    // it by deleting that or setting it to withdrawn (0).
    const bool shown = window->isVisible();
    const QDeadlineTimer deadline(timeoutMs);
    while ((managedState(window) != 0) != shown && !deadline.hasExpired())
        QThread::msleep(1);
}

bool NativeWindow::waitUntilOnScreen(QWindow *window, int timeoutMs)
{
    if (!window || !window->isVisible())
        return false;
    // The bound's timer also wakes the wait when no event comes.
    QTimer bound;
    bound.setSingleShot(true);
    bound.start(timeoutMs);
    while (!window->isExposed() && bound.isActive())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    if (!window->isExposed())
        return false;
    roundTrip();
    return true;
}

void NativeWindow::roundTrip()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return;
    xcb_connection_t *connection = QX11Info::connection();
    if (!connection)
        return;
    free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
}

bool NativeWindow::managerRunning()
{
    xcb_connection_t *connection = QX11Info::connection();
    if (!connection)
        return false;
    const QByteArray name = QByteArrayLiteral("WM_S") + QByteArray::number(QX11Info::appScreen());
    const xcb_atom_t selection = internAtom(connection, name.constData());
    if (selection == XCB_ATOM_NONE)
        return false;
    xcb_get_selection_owner_reply_t *owner =
            xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, selection), nullptr);
    const bool running = owner && owner->owner != XCB_WINDOW_NONE;
    free(owner);
    return running;
}

quint32 NativeWindow::managedState(QWindow *window)
{
    xcb_connection_t *connection = QX11Info::connection();
    const xcb_atom_t wmState = internAtom(connection, "WM_STATE");
    xcb_get_property_reply_t *reply = xcb_get_property_reply(
            connection, xcb_get_property(connection, 0, xcb_window_t(window->winId()), wmState, wmState, 0, 1),
            nullptr);
    quint32 state = 0;
    if (reply && xcb_get_property_value_length(reply) >= 4)
        state = *static_cast<const quint32 *>(xcb_get_property_value(reply));
    free(reply);
    return state;
}

bool NativeWindow::overrideRedirect(QWindow *window)
{
    xcb_connection_t *connection = QX11Info::connection();
    xcb_get_window_attributes_reply_t *attributes = xcb_get_window_attributes_reply(
            connection, xcb_get_window_attributes(connection, xcb_window_t(window->winId())), nullptr);
    const bool redirect = attributes && attributes->override_redirect;
    free(attributes);
    return redirect;
}

void NativeWindow::setShadow(QWindow *window, bool shadow)
{
    if (!window)
        return;
    window->setFlag(Qt::NoDropShadowWindowHint, !shadow);
}

void NativeWindow::forceRedraw(QWindow *window)
{
    if (!window)
        return;
    const QRect frame = window->geometry();
    window->setGeometry(QRect(frame.topLeft(), QSize(frame.width() + 1, frame.height())));
    window->setGeometry(frame);
    window->requestUpdate();
}

void NativeWindow::keepOnCurrentDesktop(QWindow *window)
{
    // An X11 window that does not ask to be sticky stays on the desktop it was mapped on, and Qt
    // never makes ours sticky: there is nothing to ask of the window manager.
    Q_UNUSED(window)
}

bool NativeWindow::canMinimize()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return true;
    return managerRunning();
}

QList<int> NativeWindow::stackLevels(const QList<QWindow *> &windows)
{
    QList<int> levels;
    for (int i = 0; i < windows.size(); ++i)
        levels.append(-1);
    xcb_connection_t *connection = QX11Info::connection();
    if (QGuiApplication::platformName() != QLatin1String("xcb") || !connection)
        return levels;
    const xcb_window_t root = QX11Info::appRootWindow();
    // The requests of one step go out together, and their answers come back together: a few round
    // trips for any number of windows.
    const xcb_query_tree_cookie_t rootCookie = xcb_query_tree(connection, root);
    QVector<xcb_window_t> tops(windows.size(), XCB_WINDOW_NONE);
    for (int i = 0; i < windows.size(); ++i) {
        QWindow *window = windows.at(i);
        if (window && window->isVisible() && window->handle())
            tops[i] = xcb_window_t(window->winId());
    }
    // Up from each window to its ancestor whose parent is the root: the window itself on a bare server,
    // the frame a manager put it in otherwise.
    QVector<bool> reached(windows.size(), false);
    for (int depth = 0; depth < 8; ++depth) {
        QVector<xcb_query_tree_cookie_t> cookies(windows.size());
        bool asked = false;
        for (int i = 0; i < windows.size(); ++i) {
            if (tops[i] != XCB_WINDOW_NONE && !reached[i]) {
                cookies[i] = xcb_query_tree(connection, tops[i]);
                asked = true;
            }
        }
        if (!asked)
            break;
        for (int i = 0; i < windows.size(); ++i) {
            if (tops[i] == XCB_WINDOW_NONE || reached[i])
                continue;
            const Owned<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(connection, cookies[i], nullptr));
            if (!tree)
                tops[i] = XCB_WINDOW_NONE;
            else if (tree->parent == root)
                reached[i] = true;
            else
                tops[i] = tree->parent;
        }
    }
    QVector<xcb_get_window_attributes_cookie_t> attributeCookies(windows.size());
    for (int i = 0; i < windows.size(); ++i) {
        if (reached[i])
            attributeCookies[i] = xcb_get_window_attributes(connection, tops[i]);
    }
    const Owned<xcb_query_tree_reply_t> rootTree(xcb_query_tree_reply(connection, rootCookie, nullptr));
    const xcb_window_t *children = rootTree ? xcb_query_tree_children(rootTree.get()) : nullptr;
    const int count = rootTree ? xcb_query_tree_children_length(rootTree.get()) : 0;
    for (int i = 0; i < windows.size(); ++i) {
        if (!reached[i])
            continue;
        const Owned<xcb_get_window_attributes_reply_t> attributes(
                xcb_get_window_attributes_reply(connection, attributeCookies[i], nullptr));
        if (!attributes || attributes->map_state != XCB_MAP_STATE_VIEWABLE || !children)
            continue;
        const xcb_window_t *found = std::find(children, children + count, tops[i]);
        if (found != children + count)
            levels[i] = int(found - children);
    }
    return levels;
}

bool NativeWindow::compositingManagerRunning()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return true;
    return QX11Info::isCompositingManagerRunning();
}

} // namespace platform
