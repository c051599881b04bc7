#include "xstackorder.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QThread>
#include <QWidget>
#include <QX11Info>

#include <xcb/xcb.h>

#include <csignal>
#include <sys/types.h>

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

namespace {

xcb_atom_t atomNamed(const char *name)
{
    xcb_connection_t *c = QX11Info::connection();
    const Owned<xcb_intern_atom_reply_t> reply(
            xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(strlen(name)), name), nullptr), &free);
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

QList<quint32> windowList(xcb_window_t window, const char *property)
{
    xcb_connection_t *c = QX11Info::connection();
    QList<quint32> windows;
    const Owned<xcb_get_property_reply_t> reply(
            xcb_get_property_reply(c, xcb_get_property(c, 0, window, atomNamed(property), XCB_ATOM_ANY, 0, 4096),
                                   nullptr),
            &free);
    if (!reply || reply->format != 32)
        return windows;
    const auto *values = static_cast<const quint32 *>(xcb_get_property_value(reply.get()));
    for (int i = 0; i < xcb_get_property_value_length(reply.get()) / 4; ++i)
        windows.append(values[i]);
    return windows;
}

QString atomName(xcb_atom_t atom)
{
    xcb_connection_t *c = QX11Info::connection();
    const Owned<xcb_get_atom_name_reply_t> reply(xcb_get_atom_name_reply(c, xcb_get_atom_name(c, atom), nullptr),
                                                 &free);
    if (!reply)
        return QString();
    return QString::fromLatin1(xcb_get_atom_name_name(reply.get()), xcb_get_atom_name_name_length(reply.get()));
}

// The processes whose parent is `pid`, read from /proc.
QList<qint64> childrenOf(qint64 pid)
{
    QList<qint64> children;
    const QDir proc(QStringLiteral("/proc"));
    for (const QString &entry : proc.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool number = false;
        const qint64 each = entry.toLongLong(&number);
        if (!number)
            continue;
        QFile stat(proc.filePath(entry + QStringLiteral("/stat")));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray line = stat.readAll();
        // The command name in parentheses may hold blanks: the fields after its closing one count.
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 1 && fields.at(1).toLongLong() == pid)
            children.append(each);
    }
    return children;
}

} // namespace

QList<quint32> XManagerView::clientStacking()
{
    return windowList(QX11Info::appRootWindow(), "_NET_CLIENT_LIST_STACKING");
}

QList<quint32> XManagerView::clients()
{
    return windowList(QX11Info::appRootWindow(), "_NET_CLIENT_LIST");
}

quint32 XManagerView::activeWindow()
{
    const QList<quint32> active = windowList(QX11Info::appRootWindow(), "_NET_ACTIVE_WINDOW");
    return active.isEmpty() ? 0 : active.first();
}

QStringList XManagerView::states(quint32 window)
{
    QStringList names;
    for (quint32 atom : windowList(window, "_NET_WM_STATE"))
        names.append(atomName(atom));
    return names;
}

quint32 XManagerView::windowOf(const QWidget *widget)
{
    return widget ? quint32(widget->internalWinId()) : 0;
}

bool XManagerView::waitUntilQuiet(int quietMs, int timeoutMs)
{
    // A connection of its own, so that the events it asks for never reach the program under test.
    xcb_connection_t *watch = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(watch)) {
        xcb_disconnect(watch);
        return false;
    }
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(watch, QX11Info::appRootWindow(), XCB_CW_EVENT_MASK, &mask);
    free(xcb_get_input_focus_reply(watch, xcb_get_input_focus(watch), nullptr));
    QDeadlineTimer deadline(timeoutMs);
    QDeadlineTimer quiet(quietMs);
    bool calm = false;
    while (!deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        bool changed = false;
        while (xcb_generic_event_t *event = xcb_poll_for_event(watch)) {
            changed = true;
            free(event);
        }
        if (changed)
            quiet.setRemainingTime(quietMs);
        else if (quiet.hasExpired()) {
            calm = true;
            break;
        }
        QThread::msleep(5);
    }
    xcb_disconnect(watch);
    return calm;
}

WindowManagerRun::~WindowManagerRun()
{
    stop();
}

QString WindowManagerRun::name(Manager manager)
{
    switch (manager) {
    case Openbox:
        return QStringLiteral("openbox");
    case Xfwm4:
        return QStringLiteral("xfwm4");
    case Icewm:
        return QStringLiteral("icewm");
    }
    return QString();
}

void WindowManagerRun::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    // xfwm4 runs under a session bus of its own: the manager is that runner's child.
    for (qint64 child : childrenOf(m_process.processId()))
        ::kill(pid_t(child), SIGTERM);
    m_process.terminate();
    if (!m_process.waitForFinished(10000)) {
        m_process.kill();
        m_process.waitForFinished(10000);
    }
    QDeadlineTimer deadline(10000);
    while (managing() && !deadline.hasExpired())
        QThread::msleep(20);
}

bool WindowManagerRun::start(int timeoutMs)
{
    QString program;
    QStringList arguments;
    // Each with its own configuration: none of the user's, no session, no start-up programs.
    switch (m_manager) {
    case Openbox:
        program = QStandardPaths::findExecutable(QStringLiteral("openbox"));
        arguments = QStringList{QStringLiteral("--sm-disable")};
        break;
    case Xfwm4:
        // xfwm4 reads its settings over D-Bus and waits for a bus that is not there.
        program = QStandardPaths::findExecutable(QStringLiteral("dbus-run-session"));
        arguments = QStringList{QStringLiteral("--"), QStringLiteral("xfwm4"), QStringLiteral("--compositor=on"),
                     QStringLiteral("--sm-client-disable")};
        if (QStandardPaths::findExecutable(QStringLiteral("xfwm4")).isEmpty())
            program.clear();
        break;
    case Icewm:
        program = QStandardPaths::findExecutable(QStringLiteral("icewm"));
        break;
    }
    if (program.isEmpty())
        return false;
    m_process.setProgram(program);
    m_process.setArguments(arguments);
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start();
    if (!m_process.waitForStarted(timeoutMs))
        return false;
    QDeadlineTimer deadline(timeoutMs);
    while (!managing() || !ewmhReady()) {
        if (deadline.hasExpired() || m_process.state() == QProcess::NotRunning)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(20);
    }
    return true;
}

bool WindowManagerRun::ewmhReady()
{
    return !windowList(QX11Info::appRootWindow(), "_NET_SUPPORTING_WM_CHECK").isEmpty();
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
