#include "desktop/taskbarentry.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QTimer>
#include <QVariant>
#include <QVector>
#include <QWindow>
#include <QX11Info>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace platform {

namespace {

const char KeptOutProperty[] = "_platform_taskbarEntryKeptOut";

template<typename Reply>
using Owned = std::unique_ptr<Reply, decltype(&free)>;

xcb_atom_t internAtom(xcb_connection_t *connection, const char *name)
{
    const Owned<xcb_intern_atom_reply_t> reply(
            xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, uint16_t(strlen(name)), name), nullptr),
            &free);
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

struct SkipStates
{
    explicit SkipStates(xcb_connection_t *connection)
        : state(internAtom(connection, "_NET_WM_STATE"))
        , skipTaskbar(internAtom(connection, "_NET_WM_STATE_SKIP_TASKBAR"))
        , skipPager(internAtom(connection, "_NET_WM_STATE_SKIP_PAGER"))
    {
    }
    bool valid() const { return state != XCB_ATOM_NONE && skipTaskbar != XCB_ATOM_NONE && skipPager != XCB_ATOM_NONE; }

    xcb_atom_t state;
    xcb_atom_t skipTaskbar;
    xcb_atom_t skipPager;
};

bool managerRunning(xcb_connection_t *connection)
{
    const QByteArray name = QByteArrayLiteral("WM_S") + QByteArray::number(QX11Info::appScreen());
    const xcb_atom_t selection = internAtom(connection, name.constData());
    if (selection == XCB_ATOM_NONE)
        return false;
    const Owned<xcb_get_selection_owner_reply_t> owner(
            xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, selection), nullptr), &free);
    return owner && owner->owner != XCB_WINDOW_NONE;
}

// What a window manager reads when it takes the window in. Qt adds its own states (on top, modal) to
// what the property holds when it maps the window, so they are merged here the same way.
void addToProperty(xcb_connection_t *connection, xcb_window_t window, const SkipStates &atoms)
{
    QVector<xcb_atom_t> states;
    const Owned<xcb_get_property_reply_t> reply(
            xcb_get_property_reply(connection,
                                   xcb_get_property(connection, 0, window, atoms.state, XCB_ATOM_ATOM, 0, 1024),
                                   nullptr),
            &free);
    if (reply && reply->format == 32 && reply->type == XCB_ATOM_ATOM) {
        const auto *held = static_cast<const xcb_atom_t *>(xcb_get_property_value(reply.get()));
        for (int i = 0; i < xcb_get_property_value_length(reply.get()) / 4; ++i)
            states.append(held[i]);
    }
    const int before = states.size();
    for (xcb_atom_t skip : {atoms.skipTaskbar, atoms.skipPager}) {
        if (!states.contains(skip))
            states.append(skip);
    }
    if (states.size() == before)
        return;
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, atoms.state, XCB_ATOM_ATOM, 32,
                        uint32_t(states.size()), states.constData());
}

// A window the manager holds changes its states only through the manager.
void askManager(xcb_connection_t *connection, xcb_window_t window, const SkipStates &atoms)
{
    xcb_client_message_event_t message;
    memset(&message, 0, sizeof message);
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = atoms.state;
    message.data.data32[0] = 1; // add
    message.data.data32[1] = atoms.skipTaskbar;
    message.data.data32[2] = atoms.skipPager;
    message.data.data32[3] = 1; // from an application
    xcb_send_event(connection, 0, QX11Info::appRootWindow(),
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char *>(&message));
}

void leaveOut(QWindow *window)
{
    if (!window || !window->handle() || QGuiApplication::platformName() != QLatin1String("xcb"))
        return;
    xcb_connection_t *connection = QX11Info::connection();
    if (!connection)
        return;
    const auto id = xcb_window_t(window->winId());
    const Owned<xcb_get_window_attributes_reply_t> attributes(
            xcb_get_window_attributes_reply(connection, xcb_get_window_attributes(connection, id), nullptr), &free);
    // A window that bypasses the manager (Qt::Popup, Qt::ToolTip) is listed by no taskbar.
    if (!attributes || attributes->override_redirect)
        return;
    const SkipStates atoms(connection);
    if (!atoms.valid())
        return;
    if (attributes->map_state == XCB_MAP_STATE_UNMAPPED)
        addToProperty(connection, id, atoms);
    if (managerRunning(connection))
        askManager(connection, id, atoms);
    xcb_flush(connection);
}

class ShowWatcher : public QObject
{
public:
    ShowWatcher(QObject *widget, std::function<QWindow *()> nativeWindow)
        : QObject(widget)
        , m_nativeWindow(std::move(nativeWindow))
    {
        widget->installEventFilter(this);
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show && watched == parent()) {
            // The widget's show event comes before its window is mapped: the property is in place for
            // the manager to read. A window hidden and shown again at once can be taken in anew
            // before the manager has let go of it, which drops the states then: once mapped, the
            // manager is asked as well.
            QPointer<QWindow> window = m_nativeWindow();
            leaveOut(window);
            QTimer::singleShot(0, this, [window] {
                if (window && window->isVisible())
                    leaveOut(window);
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<QWindow *()> m_nativeWindow;
};

} // namespace

void TaskbarEntry::watch(QObject *widget, std::function<QWindow *()> nativeWindow)
{
    if (widget->property(KeptOutProperty).toBool())
        return;
    widget->setProperty(KeptOutProperty, true);
    QWindow *window = nativeWindow();
    new ShowWatcher(widget, std::move(nativeWindow));
    if (window && window->isVisible())
        leaveOut(window);
}

} // namespace platform
