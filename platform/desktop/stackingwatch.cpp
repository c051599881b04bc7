#include "desktop/stackingwatch.h"

#include "screen/x11/x11screengrabber.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QSocketNotifier>
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

StackingWatch::~StackingWatch()
{
    if (m_connection)
        xcb_disconnect(m_connection);
}

void StackingWatch::follow()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb") || !QX11Info::connection())
        return;
    // A connection of the watch's own to the toolkit's display. Whoever listens to the root's children
    // also gets every request a program sends the window manager through the root (states,
    // activation, minimising): on the toolkit's connection those about its own windows would reach it
    // as messages to them, which it warns about or acts on, and the children's events would read as
    // changes of the screen.
    const QByteArray display = X11ScreenGrabber::guiDisplayName();
    xcb_connection_t *connection = xcb_connect(display.isEmpty() ? nullptr : display.constData(), nullptr);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return;
    }
    m_connection = connection;
    // Window ids are the server's: the toolkit's root is the root of this connection's screen too.
    const quint32 mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection, QX11Info::appRootWindow(), XCB_CW_EVENT_MASK, &mask);
    xcb_flush(connection);
    m_notifier = new QSocketNotifier(xcb_get_file_descriptor(connection), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &StackingWatch::readEvents);
}

void StackingWatch::readEvents()
{
    bool changed = false;
    while (xcb_generic_event_t *event = xcb_poll_for_event(m_connection)) {
        switch (event->response_type & 0x7f) {
        case XCB_CONFIGURE_NOTIFY:
        case XCB_MAP_NOTIFY:
        case XCB_UNMAP_NOTIFY:
        case XCB_CIRCULATE_NOTIFY:
            changed = true;
            break;
        default:
            break;
        }
        free(event);
    }
    // A display that went away tells nothing more; the toolkit ends the program for it.
    if (xcb_connection_has_error(m_connection))
        m_notifier->setEnabled(false);
    if (changed)
        notice();
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
