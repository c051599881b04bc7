#include "screenpixelwatch.h"

#include <QElapsedTimer>

#include <xcb/xcb.h>

#include <cstdlib>

struct ScreenPixelWatch::Connection
{
    xcb_connection_t *connection = nullptr;
    xcb_window_t root = XCB_WINDOW_NONE;

    ~Connection()
    {
        if (connection)
            xcb_disconnect(connection);
    }
};

ScreenPixelWatch::ScreenPixelWatch() = default;

ScreenPixelWatch::~ScreenPixelWatch()
{
    stop();
}

bool ScreenPixelWatch::open()
{
    auto connection = std::make_unique<Connection>();
    int screenNumber = 0;
    connection->connection = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(connection->connection))
        return false;
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection->connection));
    for (int i = 0; i < screenNumber && screens.rem; ++i)
        xcb_screen_next(&screens);
    if (!screens.rem)
        return false;
    connection->root = screens.data->root;
    m_connection = std::move(connection);
    return true;
}

QRgb ScreenPixelWatch::read(const QPoint &pixel)
{
    if (!m_connection)
        return 0;
    xcb_connection_t *c = m_connection->connection;
    xcb_get_image_reply_t *reply = xcb_get_image_reply(
            c,
            xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, m_connection->root, int16_t(pixel.x()), int16_t(pixel.y()),
                          1, 1, ~0u),
            nullptr);
    QRgb colour = 0;
    // A 24-bit screen keeps its pixels as 32-bit words, blue in the lowest byte.
    if (reply && xcb_get_image_data_length(reply) >= 4) {
        const uint8_t *data = xcb_get_image_data(reply);
        colour = qRgb(data[2], data[1], data[0]);
    }
    free(reply);
    return colour;
}

void ScreenPixelWatch::start(const QPoint &pixel, QRgb colour)
{
    stop();
    m_stop = false;
    m_polls = 0;
    m_result = Sighting();
    m_thread = std::thread(&ScreenPixelWatch::poll, this, pixel, colour);
    while (m_polls.load() == 0)
        std::this_thread::yield();
}

ScreenPixelWatch::Sighting ScreenPixelWatch::stop()
{
    if (m_thread.joinable()) {
        m_stop = true;
        m_thread.join();
    }
    return m_result;
}

void ScreenPixelWatch::poll(QPoint pixel, QRgb colour)
{
    QElapsedTimer clock;
    clock.start();
    qint64 lastWithout = 0;
    qint64 firstWith = -1;
    qint64 lastWith = -1;
    qint64 gone = -1;
    do {
        // The server looks at the pixel at some moment between the request and the reply: the colour
        // came after the last request that did not find it and went before the first reply that no
        // longer did.
        const qint64 asked = clock.nsecsElapsed();
        const bool shows = read(pixel) == colour;
        const qint64 answered = clock.nsecsElapsed();
        if (firstWith < 0) {
            if (shows)
                firstWith = answered;
            else
                lastWithout = asked;
        }
        if (firstWith >= 0 && gone < 0) {
            if (shows)
                lastWith = asked;
            else
                gone = answered;
        }
        ++m_polls;
    } while (!m_stop.load());
    m_result.seen = firstWith >= 0;
    if (m_result.seen) {
        // In whole milliseconds, rounded so that the bracket only widens.
        m_result.atLeastMs = qMax<qint64>(0, lastWith - firstWith) / 1000000;
        m_result.atMostMs = ((gone >= 0 ? gone : clock.nsecsElapsed()) - lastWithout + 999999) / 1000000;
    }
    m_result.polls = m_polls.load();
}
