#include "Platform/windowmanager.h"

#include <xcb/xcb.h>
#include <xcb/xcb_ewmh.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include <unistd.h>

namespace Platform {

namespace {

constexpr char ToolTagName[] = "_BASICSDLL_TOOL_TAG";
constexpr char OrderNumberName[] = "OrderNumber";

// Owns an xcb reply or error (both are malloc'ed by xcb).
template <class T>
struct Freed
{
    T *pointer = nullptr;
    Freed() = default;
    explicit Freed(T *p) : pointer(p) {}
    Freed(const Freed &) = delete;
    Freed &operator=(const Freed &) = delete;
    ~Freed() { std::free(pointer); }
    T *operator->() const { return pointer; }
    explicit operator bool() const { return pointer != nullptr; }
};

std::string latin1ToUtf8(const char *text, std::size_t size)
{
    std::string out;
    for (std::size_t i = 0; i < size; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            out += char(c);
        } else {
            out += char(0xC0 | (c >> 6));
            out += char(0x80 | (c & 0x3F));
        }
    }
    return out;
}

// "/path (deleted)" and unreadable links simply never match.
std::string executableOfProcess(std::uint32_t pid)
{
    const std::string link = "/proc/" + std::to_string(pid) + "/exe";
    std::vector<char> buffer(PATH_MAX + 1);
    const ssize_t size = ::readlink(link.c_str(), buffer.data(), buffer.size());
    if (size <= 0 || std::size_t(size) >= buffer.size())
        return {};
    return std::string(buffer.data(), std::size_t(size));
}

std::string resolvedPath(const std::string &path)
{
    char *resolved = ::realpath(path.c_str(), nullptr);
    if (!resolved)
        return path;
    std::string result(resolved);
    std::free(resolved);
    return result;
}

std::string hostName()
{
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0)
        return {};
    return name;
}

class X11WindowManager final : public WindowManager
{
public:
    static std::unique_ptr<WindowManager> open(const char *display)
    {
        int screen = 0;
        xcb_connection_t *connection = xcb_connect(display, &screen);
        if (!connection || xcb_connection_has_error(connection)) {
            xcb_disconnect(connection); // accepts a connection in error
            return nullptr;
        }
        return std::unique_ptr<WindowManager>(new X11WindowManager(connection, screen));
    }

    ~X11WindowManager() override
    {
        if (m_ewmhReady)
            xcb_ewmh_connection_wipe(&m_ewmh);
        xcb_disconnect(m_connection);
    }

    bool isAvailable() const override { return !xcb_connection_has_error(m_connection); }

    bool tagWindow(Window window, std::uint32_t tag) override
    {
        return changeProperty(window, m_toolTag, XCB_ATOM_CARDINAL, tag);
    }

    std::uint32_t toolTag(Window window) override
    {
        std::uint32_t tag = 0;
        readCardinal(xcb_get_property(m_connection, 0, xcb_window_t(window), m_toolTag,
                                      XCB_ATOM_CARDINAL, 0, 1),
                     &tag);
        return tag;
    }

    std::vector<TaggedWindow> windowsWithTag(std::uint32_t tag) override
    {
        const std::vector<xcb_window_t> windows = topLevelWindows();
        // All requests first, then all replies: one round trip for the lot.
        std::vector<xcb_get_property_cookie_t> tags;
        tags.reserve(windows.size());
        for (xcb_window_t window : windows)
            tags.push_back(xcb_get_property(m_connection, 0, window, m_toolTag,
                                            XCB_ATOM_CARDINAL, 0, 1));
        std::vector<xcb_window_t> matching;
        for (std::size_t i = 0; i < windows.size(); ++i) {
            std::uint32_t windowTag = 0;
            // A window without a tag reads 0; one that has vanished is skipped.
            if (readCardinal(tags[i], &windowTag) && windowTag == tag)
                matching.push_back(windows[i]);
        }
        std::vector<TaggedWindow> found;
        const std::vector<std::pair<bool, std::string>> titles = titlesOf(matching);
        for (std::size_t i = 0; i < matching.size(); ++i) {
            if (titles[i].first)
                found.push_back({matching[i], titles[i].second});
        }
        drainEvents();
        return found;
    }

    bool setOrderNumber(Window window, int number) override
    {
        return changeProperty(window, m_orderNumber, XCB_ATOM_INTEGER, std::uint32_t(number));
    }

    int orderNumber(Window window) override
    {
        std::uint32_t number = 0;
        readCardinal(xcb_get_property(m_connection, 0, xcb_window_t(window), m_orderNumber,
                                      XCB_GET_PROPERTY_TYPE_ANY, 0, 1),
                     &number);
        return int(number);
    }

    Window firstWindowOfExecutable(const NativePath &executable) override
    {
        if (executable.empty())
            return 0;
        const std::string searched = resolvedPath(executable);
        const std::string host = hostName();
        const std::vector<xcb_window_t> windows = topLevelWindows();
        std::vector<xcb_get_property_cookie_t> pids, machines;
        for (xcb_window_t window : windows) {
            pids.push_back(xcb_ewmh_get_wm_pid(&m_ewmh, window));
            machines.push_back(xcb_get_property(m_connection, 0, window,
                                                XCB_ATOM_WM_CLIENT_MACHINE, XCB_ATOM_STRING, 0, 64));
        }
        Window result = 0;
        std::map<std::uint32_t, bool> matchingProcess;
        for (std::size_t i = 0; i < windows.size(); ++i) {
            std::uint32_t pid = 0;
            xcb_generic_error_t *error = nullptr;
            const bool hasPid = xcb_ewmh_get_wm_pid_reply(&m_ewmh, pids[i], &pid, &error);
            std::free(error);
            // Process ids mean something only on the host that runs the client.
            const bool local = isLocal(machines[i], host);
            if (result || !hasPid || !local)
                continue;
            auto known = matchingProcess.find(pid);
            if (known == matchingProcess.end())
                known = matchingProcess.emplace(pid, executableOfProcess(pid) == searched).first;
            if (known->second)
                result = windows[i];
        }
        drainEvents();
        return result;
    }

    bool bringToFront(Window window) override
    {
        if (!window || !exists(xcb_window_t(window)))
            return false;
        if (windowManagerRuns()) {
            xcb_ewmh_request_change_active_window(&m_ewmh, m_screen, xcb_window_t(window),
                                                  XCB_EWMH_CLIENT_SOURCE_TYPE_OTHER,
                                                  XCB_CURRENT_TIME, XCB_NONE);
        } else {
            const std::uint32_t above = XCB_STACK_MODE_ABOVE;
            xcb_map_window(m_connection, xcb_window_t(window));
            xcb_configure_window(m_connection, xcb_window_t(window),
                                 XCB_CONFIG_WINDOW_STACK_MODE, &above);
            Freed<xcb_generic_error_t> focusError(xcb_request_check(
                m_connection, xcb_set_input_focus_checked(m_connection,
                                                          XCB_INPUT_FOCUS_POINTER_ROOT,
                                                          xcb_window_t(window), XCB_CURRENT_TIME)));
        }
        xcb_flush(m_connection);
        drainEvents();
        return true;
    }

private:
    X11WindowManager(xcb_connection_t *connection, int screen)
        : m_connection(connection), m_screen(screen)
    {
        xcb_intern_atom_cookie_t *cookies = xcb_ewmh_init_atoms(m_connection, &m_ewmh);
        const xcb_intern_atom_cookie_t tag =
            xcb_intern_atom(m_connection, 0, std::strlen(ToolTagName), ToolTagName);
        const xcb_intern_atom_cookie_t order =
            xcb_intern_atom(m_connection, 0, std::strlen(OrderNumberName), OrderNumberName);
        m_ewmhReady = cookies && xcb_ewmh_init_atoms_replies(&m_ewmh, cookies, nullptr);
        m_toolTag = atomOf(tag);
        m_orderNumber = atomOf(order);
        const xcb_setup_t *setup = xcb_get_setup(m_connection);
        xcb_screen_iterator_t screens = xcb_setup_roots_iterator(setup);
        for (int i = 0; i < m_screen && screens.rem; ++i)
            xcb_screen_next(&screens);
        m_root = screens.rem ? screens.data->root : XCB_NONE;
    }

    xcb_atom_t atomOf(xcb_intern_atom_cookie_t cookie)
    {
        Freed<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(m_connection, cookie, nullptr));
        return reply ? reply->atom : XCB_NONE;
    }

    // Reads a 32-bit value; false when the window is gone (or the reply
    // failed). A missing property leaves *value unchanged and counts as read.
    bool readCardinal(xcb_get_property_cookie_t cookie, std::uint32_t *value)
    {
        xcb_generic_error_t *error = nullptr;
        Freed<xcb_get_property_reply_t> reply(xcb_get_property_reply(m_connection, cookie, &error));
        std::free(error);
        if (!reply)
            return false;
        if (reply->format == 32 && xcb_get_property_value_length(reply.pointer) >= 4)
            std::memcpy(value, xcb_get_property_value(reply.pointer), 4);
        return true;
    }

    bool changeProperty(Window window, xcb_atom_t property, xcb_atom_t type, std::uint32_t value)
    {
        if (!window || property == XCB_NONE)
            return false;
        Freed<xcb_generic_error_t> error(xcb_request_check(
            m_connection, xcb_change_property_checked(m_connection, XCB_PROP_MODE_REPLACE,
                                                      xcb_window_t(window), property, type, 32,
                                                      1, &value)));
        return !error;
    }

    bool exists(xcb_window_t window)
    {
        Freed<xcb_get_window_attributes_reply_t> reply(xcb_get_window_attributes_reply(
            m_connection, xcb_get_window_attributes(m_connection, window), nullptr));
        return bool(reply);
    }

    // An EWMH window manager announces itself by a child window that names
    // itself; a stale announcement of one that has left does not count.
    bool windowManagerRuns()
    {
        if (!m_ewmhReady)
            return false;
        xcb_window_t check = XCB_NONE, confirmed = XCB_NONE;
        if (!xcb_ewmh_get_supporting_wm_check_reply(
                &m_ewmh, xcb_ewmh_get_supporting_wm_check(&m_ewmh, m_root), &check, nullptr))
            return false;
        if (!xcb_ewmh_get_supporting_wm_check_reply(
                &m_ewmh, xcb_ewmh_get_supporting_wm_check(&m_ewmh, check), &confirmed, nullptr))
            return false;
        return check == confirmed;
    }

    std::vector<xcb_window_t> topLevelWindows()
    {
        if (windowManagerRuns()) {
            xcb_ewmh_get_windows_reply_t clients;
            if (xcb_ewmh_get_client_list_reply(
                    &m_ewmh, xcb_ewmh_get_client_list(&m_ewmh, m_screen), &clients, nullptr)) {
                std::vector<xcb_window_t> windows(clients.windows,
                                                  clients.windows + clients.windows_len);
                xcb_ewmh_get_windows_reply_wipe(&clients);
                return windows;
            }
        }
        // Without a window manager the clients are the root's children.
        Freed<xcb_query_tree_reply_t> tree(
            xcb_query_tree_reply(m_connection, xcb_query_tree(m_connection, m_root), nullptr));
        if (!tree)
            return {};
        const xcb_window_t *children = xcb_query_tree_children(tree.pointer);
        return std::vector<xcb_window_t>(children,
                                         children + xcb_query_tree_children_length(tree.pointer));
    }

    // Titles as UTF-8; first is false for windows that vanished meanwhile.
    std::vector<std::pair<bool, std::string>> titlesOf(const std::vector<xcb_window_t> &windows)
    {
        std::vector<xcb_get_property_cookie_t> utf8Names, legacyNames;
        for (xcb_window_t window : windows) {
            utf8Names.push_back(xcb_ewmh_get_wm_name(&m_ewmh, window));
            legacyNames.push_back(xcb_get_property(m_connection, 0, window, XCB_ATOM_WM_NAME,
                                                   XCB_GET_PROPERTY_TYPE_ANY, 0, 4096));
        }
        std::vector<std::pair<bool, std::string>> titles(windows.size());
        for (std::size_t i = 0; i < windows.size(); ++i) {
            xcb_ewmh_get_utf8_strings_reply_t name;
            const bool hasUtf8 = xcb_ewmh_get_wm_name_reply(&m_ewmh, utf8Names[i], &name, nullptr);
            if (hasUtf8) {
                titles[i] = {true, std::string(name.strings, name.strings_len)};
                xcb_ewmh_get_utf8_strings_reply_wipe(&name);
            }
            xcb_generic_error_t *error = nullptr;
            Freed<xcb_get_property_reply_t> legacy(
                xcb_get_property_reply(m_connection, legacyNames[i], &error));
            std::free(error);
            if (hasUtf8 || !legacy)
                continue;
            const char *text = static_cast<const char *>(xcb_get_property_value(legacy.pointer));
            const std::size_t size = std::size_t(xcb_get_property_value_length(legacy.pointer));
            titles[i] = {true, legacy->type == XCB_ATOM_STRING ? latin1ToUtf8(text, size)
                                                               : std::string(text, size)};
        }
        return titles;
    }

    bool isLocal(xcb_get_property_cookie_t machineCookie, const std::string &host)
    {
        xcb_generic_error_t *error = nullptr;
        Freed<xcb_get_property_reply_t> machine(
            xcb_get_property_reply(m_connection, machineCookie, &error));
        std::free(error);
        if (!machine || machine->type == XCB_NONE)
            return true; // not stated: assume this host
        const char *text = static_cast<const char *>(xcb_get_property_value(machine.pointer));
        return std::string(text, std::size_t(xcb_get_property_value_length(machine.pointer))) == host;
    }

    // Nothing here selects events; errors of unchecked requests would pile up.
    void drainEvents()
    {
        while (xcb_generic_event_t *event = xcb_poll_for_event(m_connection))
            std::free(event);
    }

    xcb_connection_t *m_connection;
    int m_screen;
    xcb_window_t m_root = XCB_NONE;
    xcb_ewmh_connection_t m_ewmh = {};
    bool m_ewmhReady = false;
    xcb_atom_t m_toolTag = XCB_NONE;
    xcb_atom_t m_orderNumber = XCB_NONE;
};

} // namespace

std::unique_ptr<WindowManager> WindowManager::connect(const char *display)
{
    if (std::unique_ptr<WindowManager> desktop = X11WindowManager::open(display))
        return desktop;
    return createNull();
}

} // namespace Platform
