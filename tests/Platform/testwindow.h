#pragma once

// A real top-level window made as toolkits make one (on X11 with name, pid
// and host), and the window the desktop says is active.

#include "Platform/windowmanager.h"

#include <string>

#if defined(_WIN32)
#include <windows.h>
#else
#include <xcb/xcb.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <unistd.h>
#endif

#if defined(_WIN32)

inline Platform::WindowManager::Window activeWindow(const char * = nullptr)
{
    return reinterpret_cast<Platform::WindowManager::Window>(GetForegroundWindow());
}

class TestWindow
{
public:
    using Window = Platform::WindowManager::Window;

    explicit TestWindow(const std::string &title, const char * = nullptr)
    {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"BasicsTestWindow";
        RegisterClassW(&windowClass); // fails harmlessly the second time
        const std::wstring wide(title.begin(), title.end());
        m_window = CreateWindowExW(0, L"BasicsTestWindow", wide.c_str(), WS_OVERLAPPEDWINDOW,
                                   CW_USEDEFAULT, CW_USEDEFAULT, 300, 200, nullptr, nullptr,
                                   windowClass.hInstance, nullptr);
        ShowWindow(m_window, SW_SHOWNORMAL);
    }
    ~TestWindow() { DestroyWindow(m_window); }
    Window id() const { return reinterpret_cast<Window>(m_window); }
    static void pump()
    {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&message);
    }

private:
    HWND m_window;
};

#else

inline xcb_atom_t atom(xcb_connection_t *connection, const char *name)
{
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, std::uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t result = reply ? reply->atom : XCB_NONE;
    std::free(reply);
    return result;
}

// The window manager's active window on \a display; without a window
// manager, the window with the input focus.
inline Platform::WindowManager::Window activeWindow(const char *display = nullptr)
{
    xcb_connection_t *connection = xcb_connect(display, nullptr);
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    xcb_get_property_reply_t *reply = xcb_get_property_reply(
        connection,
        xcb_get_property(connection, 0, root, atom(connection, "_NET_ACTIVE_WINDOW"), XCB_ATOM_WINDOW, 0, 1),
        nullptr);
    Platform::WindowManager::Window window = reply && xcb_get_property_value_length(reply) == 4
                        ? *static_cast<xcb_window_t *>(xcb_get_property_value(reply))
                        : 0;
    std::free(reply);
    if (xcb_get_input_focus_reply_t *focus =
            window ? nullptr : xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr)) {
        window = focus->focus;
        std::free(focus);
    }
    xcb_disconnect(connection);
    return window;
}

class TestWindow
{
public:
    using Window = Platform::WindowManager::Window;

    explicit TestWindow(const std::string &title, const char *display = nullptr)
        : m_connection(xcb_connect(display, nullptr))
    {
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
        m_window = xcb_generate_id(m_connection);
        xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, m_window, root, 0, 0, 300, 200, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
        const std::uint32_t pid = std::uint32_t(getpid());
        char host[256] = {};
        gethostname(host, sizeof host - 1);
        set(atom(m_connection, "_NET_WM_NAME"), atom(m_connection, "UTF8_STRING"), 8, title.data(), title.size());
        set(XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, title.data(), title.size());
        set(atom(m_connection, "_NET_WM_PID"), XCB_ATOM_CARDINAL, 32, &pid, 1);
        set(XCB_ATOM_WM_CLIENT_MACHINE, XCB_ATOM_STRING, 8, host, std::strlen(host));
        xcb_map_window(m_connection, m_window);
        // A round trip: the window exists before other connections use it.
        std::free(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
    }
    ~TestWindow()
    {
        xcb_destroy_window(m_connection, m_window);
        xcb_disconnect(m_connection);
    }
    Window id() const { return m_window; }
    void pump() const
    {
        while (xcb_generic_event_t *event = xcb_poll_for_event(m_connection))
            std::free(event);
    }
    // Whether the window manager has taken the window on (it sets WM_STATE),
    // waiting up to \a milliseconds. A window destroyed while openbox takes
    // it on can stay in openbox's lists, and its id goes to the server's
    // next client.
    bool waitUntilManaged(int milliseconds) const
    {
        const xcb_atom_t state = atom(m_connection, "WM_STATE");
        for (int waited = 0;; ++waited) {
            xcb_get_property_reply_t *reply = xcb_get_property_reply(
                m_connection, xcb_get_property(m_connection, 0, m_window, state, XCB_ATOM_ANY, 0, 1), nullptr);
            const bool managed = reply && reply->type != XCB_NONE;
            std::free(reply);
            if (managed || waited >= milliseconds)
                return managed;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }

private:
    void set(xcb_atom_t property, xcb_atom_t type, int format, const void *data, std::size_t count)
    {
        xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, m_window, property, type,
                            std::uint8_t(format), std::uint32_t(count), data);
    }

    xcb_connection_t *m_connection;
    xcb_window_t m_window;
};

#endif
