// The second process of the window tests: owns real top-level windows.
//
//   platform_windowpeer tagged <id file> <tag> <title>
//       shows one window, tags it, gives it the order number 5, writes its
//       id to <id file> and stays until its order number is set to
//       StopNumber (or two minutes have passed);
//   platform_windowpeer churn <stop file> <tag>
//       creates, tags, shows and destroys windows one after the other until
//       <stop file> exists, so that windows vanish while others enumerate.

#include "launchreport.h"

#include "Platform/windowmanager.h"

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#if defined(_WIN32)
#include <windows.h>
#else
#include <xcb/xcb.h>

#include <cstring>
#include <unistd.h>
#endif

using Platform::WindowManager;

namespace {

constexpr int StopNumber = -424242;

bool fileExists(const std::string &path)
{
    std::string data;
    return launchreport::readFile(path, &data);
}

#if defined(_WIN32)
class Desktop
{
public:
    Desktop()
    {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"BasicsWindowPeer";
        RegisterClassW(&windowClass);
    }
    WindowManager::Window create(const std::string &title)
    {
        const std::wstring wide(title.begin(), title.end());
        HWND window = CreateWindowExW(0, L"BasicsWindowPeer", wide.c_str(), WS_OVERLAPPEDWINDOW,
                                      CW_USEDEFAULT, CW_USEDEFAULT, 300, 200, nullptr, nullptr,
                                      GetModuleHandleW(nullptr), nullptr);
        ShowWindow(window, SW_SHOWNORMAL);
        return reinterpret_cast<WindowManager::Window>(window);
    }
    void destroy(WindowManager::Window window) { DestroyWindow(reinterpret_cast<HWND>(window)); }
    void pump()
    {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
};
#else
class Desktop
{
public:
    Desktop() : m_connection(xcb_connect(nullptr, nullptr))
    {
        m_screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
    }
    ~Desktop() { xcb_disconnect(m_connection); }
    WindowManager::Window create(const std::string &title)
    {
        const xcb_window_t window = xcb_generate_id(m_connection);
        xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, window, m_screen->root, 0, 0, 300,
                          200, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, m_screen->root_visual, 0, nullptr);
        // What a toolkit states about its windows: names, process, host.
        const std::uint32_t pid = std::uint32_t(getpid());
        char host[256] = {};
        gethostname(host, sizeof host - 1);
        property(window, "_NET_WM_NAME", "UTF8_STRING", 8, title.data(), title.size());
        xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NAME,
                            XCB_ATOM_STRING, 8, std::uint32_t(title.size()), title.data());
        property(window, "_NET_WM_PID", "CARDINAL", 32, &pid, 1);
        xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, window,
                            XCB_ATOM_WM_CLIENT_MACHINE, XCB_ATOM_STRING, 8,
                            std::uint32_t(std::strlen(host)), host);
        xcb_map_window(m_connection, window);
        // A round trip: the window exists before another connection tags it.
        std::free(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
        return window;
    }
    void destroy(WindowManager::Window window)
    {
        xcb_destroy_window(m_connection, xcb_window_t(window));
        xcb_flush(m_connection);
    }
    void pump()
    {
        while (xcb_generic_event_t *event = xcb_poll_for_event(m_connection))
            std::free(event);
    }

private:
    xcb_atom_t atom(const char *name)
    {
        xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(
            m_connection, xcb_intern_atom(m_connection, 0, std::strlen(name), name), nullptr);
        const xcb_atom_t result = reply ? reply->atom : XCB_NONE;
        std::free(reply);
        return result;
    }
    void property(xcb_window_t window, const char *name, const char *type, int format,
                  const void *data, std::size_t count)
    {
        xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, window, atom(name), atom(type),
                            std::uint8_t(format), std::uint32_t(count), data);
    }

    xcb_connection_t *m_connection;
    xcb_screen_t *m_screen;
};
#endif

void sleepMilliseconds(int milliseconds)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 4)
        return 2;
    const std::string mode = argv[1];
    const std::string file = argv[2];
    const std::uint32_t tag = std::uint32_t(std::strtoul(argv[3], nullptr, 10));
    WindowManager &windows = WindowManager::instance();
    Desktop desktop;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(2);

    if (mode == "tagged" && argc >= 5) {
        const WindowManager::Window window = desktop.create(argv[4]);
        if (!windows.tagWindow(window, tag) || !windows.setOrderNumber(window, 5))
            return 1;
        desktop.pump();
        launchreport::writeFile(file, std::to_string(window));
        while (std::chrono::steady_clock::now() < deadline && windows.orderNumber(window) != StopNumber) {
            desktop.pump();
            sleepMilliseconds(10);
        }
        desktop.destroy(window);
        return 0;
    }
    if (mode == "churn") {
        int round = 0;
        while (std::chrono::steady_clock::now() < deadline && !fileExists(file)) {
            const WindowManager::Window window = desktop.create("churn " + std::to_string(round++));
            windows.tagWindow(window, tag);
            desktop.pump();
            sleepMilliseconds(round % 3);
            desktop.destroy(window);
            desktop.pump();
        }
        return 0;
    }
    return 2;
}
