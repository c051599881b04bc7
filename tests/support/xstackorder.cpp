#include "xstackorder.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QStandardPaths>
#include <QThread>
#include <QWidget>
#include <QX11Info>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

template<typename Reply>
using Owned = std::unique_ptr<Reply, decltype(&free)>;

Owned<xcb_query_tree_reply_t> tree(xcb_window_t window)
{
    xcb_connection_t *c = QX11Info::connection();
    return Owned<xcb_query_tree_reply_t>(xcb_query_tree_reply(c, xcb_query_tree(c, window), nullptr), &free);
}

// The window's ancestor whose parent is the root: the window itself, or the frame a manager gave it.
xcb_window_t topOf(xcb_window_t window)
{
    const xcb_window_t root = QX11Info::appRootWindow();
    while (window != XCB_WINDOW_NONE) {
        const auto reply = tree(window);
        if (!reply)
            return XCB_WINDOW_NONE;
        if (reply->parent == root)
            return window;
        window = reply->parent;
    }
    return XCB_WINDOW_NONE;
}

bool mapped(xcb_window_t window)
{
    xcb_connection_t *c = QX11Info::connection();
    const Owned<xcb_get_window_attributes_reply_t> attributes(
            xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr), &free);
    return attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
}

} // namespace

QList<quint32> XStackOrder::rootStack()
{
    QList<quint32> stack;
    const auto reply = tree(QX11Info::appRootWindow());
    if (!reply)
        return stack;
    const xcb_window_t *children = xcb_query_tree_children(reply.get());
    for (int i = 0; i < xcb_query_tree_children_length(reply.get()); ++i)
        stack.append(children[i]);
    return stack;
}

int XStackOrder::levelOf(const QWidget *widget)
{
    if (!widget || !widget->isVisible() || !widget->internalWinId())
        return -1;
    const xcb_window_t top = topOf(xcb_window_t(widget->internalWinId()));
    if (top == XCB_WINDOW_NONE || !mapped(top))
        return -1;
    return rootStack().indexOf(top);
}

bool XStackOrder::above(const QList<const QWidget *> &upper, const QList<const QWidget *> &lower)
{
    int highestLower = -1;
    for (const QWidget *widget : lower)
        highestLower = std::max(highestLower, levelOf(widget));
    for (const QWidget *widget : upper) {
        const int level = levelOf(widget);
        if (level < 0 || level <= highestLower)
            return false;
    }
    return true;
}

QString XStackOrder::describe(const QList<QPair<QString, const QWidget *>> &widgets)
{
    QList<QPair<int, QString>> levels;
    for (const auto &each : widgets)
        levels.append({levelOf(each.second), each.first});
    std::sort(levels.begin(), levels.end());
    QStringList names;
    for (const auto &each : levels)
        names.append(QStringLiteral("%1 (%2)").arg(each.second).arg(each.first));
    return names.join(QStringLiteral(" < "));
}

WindowManagerRun::~WindowManagerRun()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(10000)) {
        m_process.kill();
        m_process.waitForFinished(10000);
    }
}

bool WindowManagerRun::start(int timeoutMs)
{
    const QString program = QStandardPaths::findExecutable(QStringLiteral("openbox"));
    if (program.isEmpty())
        return false;
    // Its own configuration: none of the user's, no session, no start-up programs.
    m_process.setProgram(program);
    m_process.setArguments({QStringLiteral("--sm-disable")});
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start();
    if (!m_process.waitForStarted(timeoutMs))
        return false;
    QDeadlineTimer deadline(timeoutMs);
    while (!managing()) {
        if (deadline.hasExpired() || m_process.state() == QProcess::NotRunning)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(20);
    }
    return true;
}

bool WindowManagerRun::managing()
{
    xcb_connection_t *c = QX11Info::connection();
    const QByteArray name = QByteArrayLiteral("WM_S") + QByteArray::number(QX11Info::appScreen());
    const Owned<xcb_intern_atom_reply_t> atom(
            xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(name.size()), name.constData()), nullptr), &free);
    if (!atom)
        return false;
    const Owned<xcb_get_selection_owner_reply_t> owner(
            xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, atom->atom), nullptr), &free);
    return owner && owner->owner != XCB_WINDOW_NONE;
}

bool WindowManagerRun::settle(int timeoutMs)
{
    xcb_connection_t *c = QX11Info::connection();
    free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    if (!managing())
        return true;
    const auto atom = [c](const char *name) {
        const Owned<xcb_intern_atom_reply_t> reply(
                xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(strlen(name)), name), nullptr), &free);
        return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    };
    const xcb_atom_t request = atom("_NET_REQUEST_FRAME_EXTENTS");
    const xcb_atom_t extents = atom("_NET_FRAME_EXTENTS");
    // A window of our own, never mapped: the manager answers for it without taking it in.
    const xcb_window_t window = xcb_generate_id(c);
    const xcb_window_t root = QX11Info::appRootWindow();
    xcb_create_window(c, XCB_COPY_FROM_PARENT, window, root, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      XCB_COPY_FROM_PARENT, 0, nullptr);
    xcb_client_message_event_t message;
    memset(&message, 0, sizeof message);
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = request;
    xcb_send_event(c, 0, root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char *>(&message));
    xcb_flush(c);
    bool answered = false;
    QDeadlineTimer deadline(timeoutMs);
    while (!answered && !deadline.hasExpired()) {
        const Owned<xcb_get_property_reply_t> property(
                xcb_get_property_reply(c, xcb_get_property(c, 0, window, extents, XCB_ATOM_CARDINAL, 0, 4), nullptr),
                &free);
        answered = property && property->type != XCB_ATOM_NONE;
        if (!answered)
            QThread::msleep(5);
    }
    xcb_destroy_window(c, window);
    xcb_flush(c);
    return answered;
}
