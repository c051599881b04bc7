#include "desktop/stackingwatch.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QTimer>
#include <QX11Info>

#include <xcb/xcb.h>

#include <cstdlib>

namespace platform {

StackingWatch *StackingWatch::instance()
{
    static StackingWatch *watch = new StackingWatch;
    return watch;
}

StackingWatch::StackingWatch()
    : QObject(QCoreApplication::instance())
{
    follow();
}

void StackingWatch::follow()
{
    xcb_connection_t *connection = QX11Info::connection();
    if (QGuiApplication::platformName() != QLatin1String("xcb") || !connection)
        return;
    m_root = QX11Info::appRootWindow();
    // The event mask is per client: ours on the root is widened, never replaced.
    xcb_get_window_attributes_reply_t *attributes =
            xcb_get_window_attributes_reply(connection, xcb_get_window_attributes(connection, m_root), nullptr);
    if (!attributes)
        return;
    const quint32 mask = attributes->your_event_mask;
    free(attributes);
    m_ours = !(mask & XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY);
    const quint32 widened = mask | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection, m_root, XCB_CW_EVENT_MASK, &widened);
    xcb_flush(connection);
    QCoreApplication::instance()->installNativeEventFilter(this);
}

bool StackingWatch::nativeEventFilter(const QByteArray &eventType, void *message, long *result)
{
    Q_UNUSED(result)
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    switch (event->response_type & 0x7f) {
    case XCB_CONFIGURE_NOTIFY:
    case XCB_MAP_NOTIFY:
    case XCB_UNMAP_NOTIFY:
    case XCB_CIRCULATE_NOTIFY: {
        // The same layout for what is read here: the parent, then the window. Of the configure events
        // of one parent the toolkit hands on only the last it has read, so each one counts, whatever
        // it says.
        const auto *notify = reinterpret_cast<const xcb_map_notify_event_t *>(event);
        if (notify->event != m_root || notify->window == m_root)
            return false;
        notice();
        return m_ours;
    }
    case XCB_CREATE_NOTIFY:
    case XCB_DESTROY_NOTIFY:
    case XCB_REPARENT_NOTIFY:
    case XCB_GRAVITY_NOTIFY: {
        // Only here because of the widened mask: not the toolkit's business.
        const auto *notify = reinterpret_cast<const xcb_create_notify_event_t *>(event);
        return m_ours && notify->parent == m_root && notify->window != m_root;
    }
    default:
        return false;
    }
}

void StackingWatch::notice()
{
    if (m_pending)
        return;
    m_pending = true;
    // A window manager restacks a window in steps, and a program's raises one after another: read too
    // soon, the stack would show a step on the way.
    QTimer::singleShot(BurstMs, this, [this] {
        m_pending = false;
        emit restacked();
    });
}

} // namespace platform
