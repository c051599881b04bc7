#include "screen/shooter/x11/x11windowstack.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>
#include <vector>

namespace platform {

namespace {

// A reply of xcb, freed with free() as xcb wants.
template<typename Reply>
using ReplyPtr = std::unique_ptr<Reply, decltype(&std::free)>;

template<typename Reply>
ReplyPtr<Reply> adopt(Reply *reply)
{
    return ReplyPtr<Reply>(reply, &std::free);
}

std::vector<xcb_window_t> childrenOf(xcb_connection_t *connection, xcb_window_t window)
{
    auto tree = adopt(xcb_query_tree_reply(connection, xcb_query_tree(connection, window), nullptr));
    if (!tree)
        return {};
    const xcb_window_t *children = xcb_query_tree_children(tree.get());
    return std::vector<xcb_window_t>(children, children + xcb_query_tree_children_length(tree.get()));
}

// Window managers put each client into a frame, sometimes with a second level in between.
bool holdsIgnored(xcb_connection_t *connection, xcb_window_t window, const QSet<quint32> &ignored, int depth)
{
    if (ignored.contains(window))
        return true;
    if (depth == 0)
        return false;
    for (xcb_window_t child : childrenOf(connection, window)) {
        if (holdsIgnored(connection, child, ignored, depth - 1))
            return true;
    }
    return false;
}

} // namespace

QVector<QRect> X11WindowStack::frames(const QSet<quint32> &ignored)
{
    int screenNumber = 0;
    std::unique_ptr<xcb_connection_t, decltype(&xcb_disconnect)> connection(xcb_connect(nullptr, &screenNumber),
                                                                            &xcb_disconnect);
    if (!connection || xcb_connection_has_error(connection.get()))
        return {};
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection.get()));
    for (int i = 0; i < screenNumber && screens.rem; ++i)
        xcb_screen_next(&screens);
    if (!screens.rem)
        return {};

    QVector<QRect> frames;
    for (xcb_window_t window : childrenOf(connection.get(), screens.data->root)) {
        auto attributes = adopt(xcb_get_window_attributes_reply(
                connection.get(), xcb_get_window_attributes(connection.get(), window), nullptr));
        if (!attributes || attributes->map_state != XCB_MAP_STATE_VIEWABLE
            || attributes->_class == XCB_WINDOW_CLASS_INPUT_ONLY)
            continue;
        auto geometry = adopt(
                xcb_get_geometry_reply(connection.get(), xcb_get_geometry(connection.get(), window), nullptr));
        if (!geometry || holdsIgnored(connection.get(), window, ignored, 2))
            continue;
        const int border = geometry->border_width;
        frames.append(QRect(geometry->x, geometry->y, geometry->width + 2 * border, geometry->height + 2 * border));
    }
    return frames;
}

} // namespace platform
