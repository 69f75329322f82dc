#pragma once

// A second X client: reads window properties as other programs see them, and
// puts up a dock that reserves a strip of the screen.

#include <xcb/xcb.h>

#include <QtGlobal>

#include <cstdlib>
#include <cstring>
#include <optional>

class X11Peer
{
public:
    X11Peer() : m_connection(xcb_connect(nullptr, nullptr)) {}
    ~X11Peer() { xcb_disconnect(m_connection); }
    X11Peer(const X11Peer &) = delete;
    X11Peer &operator=(const X11Peer &) = delete;

    bool isConnected() const { return !xcb_connection_has_error(m_connection); }

    xcb_atom_t atom(const char *name)
    {
        const xcb_intern_atom_cookie_t cookie = xcb_intern_atom(m_connection, 0, uint16_t(strlen(name)), name);
        xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(m_connection, cookie, nullptr);
        const xcb_atom_t result = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(reply);
        return result;
    }

    /// The first value of a 32-bit CARDINAL property; nullopt when the
    /// window does not have it.
    std::optional<quint32> cardinal(xcb_window_t window, const char *property)
    {
        const xcb_get_property_cookie_t cookie = xcb_get_property(
            m_connection, 0, window, atom(property), XCB_ATOM_CARDINAL, 0, 1);
        xcb_get_property_reply_t *reply = xcb_get_property_reply(m_connection, cookie, nullptr);
        std::optional<quint32> result;
        if (reply && reply->format == 32 && reply->type == XCB_ATOM_CARDINAL && reply->value_len > 0)
            result = *static_cast<const quint32 *>(xcb_get_property_value(reply));
        std::free(reply);
        return result;
    }

    /// Maps a dock window along the bottom edge of the first screen that
    /// reserves \a height pixels there.
    void reserveBottomStrip(int height)
    {
        const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
        const int width = screen->width_in_pixels;
        const int top = screen->height_in_pixels - height;
        const xcb_window_t dock = xcb_generate_id(m_connection);
        xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, dock, screen->root, 0, int16_t(top),
                          uint16_t(width), uint16_t(height), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                          screen->root_visual, 0, nullptr);
        const xcb_atom_t dockType = atom("_NET_WM_WINDOW_TYPE_DOCK");
        xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, dock, atom("_NET_WM_WINDOW_TYPE"),
                            XCB_ATOM_ATOM, 32, 1, &dockType);
        const quint32 partial[12] = {0, 0, 0, quint32(height), 0, 0, 0, 0, 0, 0, 0, quint32(width - 1)};
        xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, dock,
                            atom("_NET_WM_STRUT_PARTIAL"), XCB_ATOM_CARDINAL, 32, 12, partial);
        xcb_map_window(m_connection, dock);
        xcb_flush(m_connection);
    }

private:
    xcb_connection_t *m_connection;
};
