// Top-level windows shared across processes: a second process (windowpeer)
// owns real windows; this one reads and changes their tags, order numbers
// and titles, finds them by program and raises them, and enumerates while
// the peer's windows come and go. On Linux this runs against the X server of
// the desktop session (Xvfb with openbox), and against a bare Xvfb without a
// window manager; under Wine against Wine's window system.

#include "launchreport.h"
#include "platformcheck.h"

#include "Platform/processlauncher.h"
#include "Platform/windowmanager.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <cwctype>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#if defined(_WIN32)
#include <windows.h>
#else
#include <xcb/xcb.h>

#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

using Platform::WindowManager;

namespace {

constexpr int StopNumber = -424242;
constexpr std::uint32_t PeerTag = 0x5eed0001u;
constexpr std::uint32_t ChurnTag = 0x5eed0002u;

std::u16string u16(const std::string &ascii)
{
    return std::u16string(ascii.begin(), ascii.end());
}

#if defined(_WIN32)
const char Separator = '\\';

std::string programDirectory()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    const std::string full(path);
    return full.substr(0, full.find_last_of('\\'));
}

std::string temporaryDirectory()
{
    char base[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, base);
    static int counter = 0;
    std::string path;
    do {
        path = std::string(base) + "basics-windows-" + std::to_string(GetTickCount64()) + "-"
            + std::to_string(counter++);
    } while (!CreateDirectoryA(path.c_str(), nullptr));
    return path;
}

// This process's own window, which the tests activate and tag.
class OwnWindow
{
public:
    OwnWindow()
    {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"BasicsWindowTest";
        RegisterClassW(&windowClass);
        m_window = CreateWindowExW(0, L"BasicsWindowTest", L"test window", WS_OVERLAPPEDWINDOW,
                                   CW_USEDEFAULT, CW_USEDEFAULT, 300, 200, nullptr, nullptr,
                                   GetModuleHandleW(nullptr), nullptr);
        ShowWindow(m_window, SW_SHOWNORMAL);
    }
    ~OwnWindow() { DestroyWindow(m_window); }
    WindowManager::Window id() const { return reinterpret_cast<WindowManager::Window>(m_window); }
    static void pump()
    {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&message);
    }
    static WindowManager::Window active()
    {
        return reinterpret_cast<WindowManager::Window>(GetForegroundWindow());
    }

private:
    HWND m_window;
};
#else
const char Separator = '/';

std::string programDirectory()
{
    char path[4096] = {};
    const ssize_t size = readlink("/proc/self/exe", path, sizeof path - 1);
    const std::string full(path, size > 0 ? std::size_t(size) : 0);
    return full.substr(0, full.find_last_of('/'));
}

std::string temporaryDirectory()
{
    std::string pattern = "/tmp/basics-windows-XXXXXX";
    return mkdtemp(&pattern[0]) ? pattern : std::string();
}

xcb_atom_t atom(xcb_connection_t *connection, const char *name)
{
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, std::strlen(name), name), nullptr);
    const xcb_atom_t result = reply ? reply->atom : XCB_NONE;
    std::free(reply);
    return result;
}

class OwnWindow
{
public:
    explicit OwnWindow(const char *display = nullptr) : m_connection(xcb_connect(display, nullptr))
    {
        m_screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
        m_window = xcb_generate_id(m_connection);
        xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, m_window, m_screen->root, 0, 0, 300,
                          200, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, m_screen->root_visual, 0, nullptr);
        xcb_map_window(m_connection, m_window);
        sync();
    }
    ~OwnWindow()
    {
        xcb_destroy_window(m_connection, m_window);
        xcb_disconnect(m_connection);
    }
    WindowManager::Window id() const { return m_window; }
    // A round trip: the server has made the window before other clients use it.
    void sync() const
    {
        std::free(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
    }
    void pump() const
    {
        while (xcb_generic_event_t *event = xcb_poll_for_event(m_connection))
            std::free(event);
    }
    // What the window manager says is active.
    WindowManager::Window active() const
    {
        xcb_get_property_reply_t *reply = xcb_get_property_reply(
            m_connection,
            xcb_get_property(m_connection, 0, m_screen->root,
                             atom(m_connection, "_NET_ACTIVE_WINDOW"), XCB_ATOM_WINDOW, 0, 1),
            nullptr);
        WindowManager::Window window = 0;
        if (reply && xcb_get_property_value_length(reply) == 4)
            window = *static_cast<xcb_window_t *>(xcb_get_property_value(reply));
        std::free(reply);
        return window;
    }
    // Who has the input focus (there is no active window without a manager).
    WindowManager::Window focus() const
    {
        xcb_get_input_focus_reply_t *reply =
            xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr);
        const WindowManager::Window window = reply ? reply->focus : 0;
        std::free(reply);
        return window;
    }

private:
    xcb_connection_t *m_connection;
    xcb_screen_t *m_screen;
    xcb_window_t m_window;
};
#endif

WindowManager::NativePath native(const std::string &ascii)
{
    return WindowManager::NativePath(ascii.begin(), ascii.end());
}

std::string peerPath()
{
#if defined(_WIN32)
    return programDirectory() + "\\platform_windowpeer.exe";
#else
    return programDirectory() + "/platform_windowpeer";
#endif
}

bool waitUntil(const std::function<bool()> &condition, int seconds = 20)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (std::chrono::steady_clock::now() < deadline) {
#if defined(_WIN32)
        OwnWindow::pump();
#endif
        if (condition())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

bool startPeer(const std::vector<std::string> &arguments)
{
    Platform::DetachedStart start;
    start.program = u16(peerPath());
    for (const std::string &argument : arguments)
        start.arguments.push_back(u16(argument));
    return Platform::ProcessLauncher::instance().startDetached(start);
}

// The peer's window, once it has written its id.
WindowManager::Window peerWindow(const std::string &idFile)
{
    std::string id;
    if (!waitUntil([&] { return launchreport::readFile(idFile, &id); }))
        return 0;
    return WindowManager::Window(std::strtoull(id.c_str(), nullptr, 10));
}

bool listed(WindowManager &windows, std::uint32_t tag, WindowManager::Window window,
            std::string *title = nullptr)
{
    for (const WindowManager::TaggedWindow &found : windows.windowsWithTag(tag)) {
        if (found.window == window) {
            if (title)
                *title = found.title;
            return true;
        }
    }
    return false;
}

bool desktopReachable()
{
    if (WindowManager::system().isAvailable())
        return true;
    std::printf("  no desktop: checking the null backend only\n");
    WindowManager &windows = WindowManager::system();
    CHECK(windows.windowsWithTag(0).empty());
    CHECK(!windows.tagWindow(1, 1) && !windows.setOrderNumber(1, 1) && !windows.bringToFront(1));
    return false;
}

} // namespace

PLATFORM_TEST(twoProcessesShareTagsOrderNumbersTitlesAndActivation)
{
    if (!desktopReachable())
        return;
    WindowManager &windows = WindowManager::instance();
    const std::string directory = temporaryDirectory();
    const std::string idFile = directory + Separator + "peer-id";
    OwnWindow own;
    CHECK(startPeer({"tagged", idFile, std::to_string(PeerTag), "Peer window #1"}));
    const WindowManager::Window peer = peerWindow(idFile);
    CHECK(peer != 0);
    if (!peer)
        return;

    // Tag, title and order number that the other process stored.
    std::string title;
    CHECK(waitUntil([&] { return listed(windows, PeerTag, peer, &title); }));
    CHECK(title == "Peer window #1");
    CHECK(windows.toolTag(peer) == PeerTag);
    CHECK(!listed(windows, PeerTag + 1, peer));
    CHECK(windows.orderNumber(peer) == 5);
    CHECK(windows.setOrderNumber(peer, -7) && windows.orderNumber(peer) == -7);
    CHECK(windows.setOrderNumber(peer, 2147483647) && windows.orderNumber(peer) == 2147483647);
    CHECK(windows.orderNumber(own.id()) == 0); // never set
    CHECK(windows.toolTag(own.id()) == 0);

    // The peer's program, in the forms each system accepts.
    const std::string program = peerPath();
    CHECK(windows.firstWindowOfExecutable(Platform::WindowManager::NativePath()) == 0);
#if defined(_WIN32)
    std::wstring wide(program.begin(), program.end());
    CHECK(windows.firstWindowOfExecutable(wide) == peer);
    std::wstring shouted = wide;
    for (wchar_t &c : shouted)
        c = wchar_t(towupper(c));
    std::replace(shouted.begin(), shouted.end(), L'\\', L'/');
    CHECK(windows.firstWindowOfExecutable(shouted) == peer);
    CHECK(windows.firstWindowOfExecutable(L"C:\\nowhere\\peer.exe") == 0);
#else
    CHECK(windows.firstWindowOfExecutable(program) == peer);
    const std::string link = directory + "/linked peer";
    CHECK(symlink(program.c_str(), link.c_str()) == 0);
    CHECK(windows.firstWindowOfExecutable(link) == peer);
    std::string shouted = program;
    shouted.back() = char(std::toupper(shouted.back()));
    CHECK(windows.firstWindowOfExecutable(shouted) == 0); // names are case-sensitive
#endif

    // Raising: first this process's window, then the peer's.
    CHECK(windows.bringToFront(own.id()));
    CHECK(waitUntil([&] { return own.active() == own.id(); }));
    CHECK(windows.bringToFront(peer));
    CHECK(waitUntil([&] { return own.active() == peer; }));

    // The peer leaves when told through its order number; its window goes.
    CHECK(windows.setOrderNumber(peer, StopNumber));
    CHECK(waitUntil([&] { return !listed(windows, PeerTag, peer); }));
    CHECK(!windows.setOrderNumber(peer, 1) && windows.orderNumber(peer) == 0);
    CHECK(!windows.tagWindow(peer, 1));
    CHECK(windows.firstWindowOfExecutable(native(program)) == 0);
}

PLATFORM_TEST(enumerationSkipsWindowsThatVanish)
{
    if (!desktopReachable())
        return;
    WindowManager &windows = WindowManager::instance();
    const std::string stopFile = temporaryDirectory() + Separator + "stop-churn";
    OwnWindow own;
    CHECK(windows.tagWindow(own.id(), ChurnTag));
    CHECK(startPeer({"churn", stopFile, std::to_string(ChurnTag)}));

    int rounds = 0, sawChurn = 0, missedOwn = 0;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(4);
    while (std::chrono::steady_clock::now() < end) {
        const std::vector<WindowManager::TaggedWindow> found = windows.windowsWithTag(ChurnTag);
        bool hasOwn = false;
        for (const WindowManager::TaggedWindow &window : found) {
            hasOwn = hasOwn || window.window == own.id();
            sawChurn += window.title.rfind("churn ", 0) == 0;
            windows.orderNumber(window.window); // may be gone already
        }
        missedOwn += !hasOwn;
        windows.firstWindowOfExecutable(native(peerPath()));
        ++rounds;
    }
    launchreport::writeFile(stopFile, "stop");
    std::printf("  %d enumerations, %d churning windows seen\n", rounds, sawChurn);
    CHECK(missedOwn == 0);
    CHECK(rounds > 10);
}

#if !defined(_WIN32)
PLATFORM_TEST(withoutWindowManagerTheRootChildrenCount)
{
    // A bare X server of our own, without any window manager.
    int displayPipe[2];
    CHECK(pipe(displayPipe) == 0);
    const pid_t server = fork();
    if (server == 0) {
        close(displayPipe[0]);
        const std::string fd = std::to_string(displayPipe[1]);
        int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        dup2(null, 2);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-nolisten", "tcp", "-screen", "0",
               "640x480x24", static_cast<char *>(nullptr));
        _exit(127);
    }
    close(displayPipe[1]);
    // The server writes the number and the newline separately, and fails if
    // the pipe is closed in between: read the whole line.
    char number[16] = {};
    std::size_t got = 0;
    while (got < sizeof number - 1 && !std::strchr(number, '\n')) {
        const ssize_t part = read(displayPipe[0], number + got, sizeof number - 1 - got);
        if (part <= 0)
            break;
        got += std::size_t(part);
    }
    close(displayPipe[0]);
    if (!std::strchr(number, '\n')) {
        std::printf("  Xvfb not available: skipped\n");
        waitpid(server, nullptr, 0);
        return;
    }
    const std::string display = ":" + std::string(number, std::strcspn(number, "\n"));
    {
        // The server may take a moment to accept clients after naming its display.
        std::unique_ptr<WindowManager> bare;
        CHECK(waitUntil([&] {
            bare = WindowManager::connect(display.c_str());
            return bare->isAvailable();
        }, 10));
        OwnWindow first(display.c_str()), second(display.c_str());
        CHECK(bare->tagWindow(first.id(), PeerTag) && bare->tagWindow(second.id(), PeerTag));
        CHECK(listed(*bare, PeerTag, first.id()) && listed(*bare, PeerTag, second.id()));
        CHECK(bare->bringToFront(first.id()));
        CHECK(waitUntil([&] { return first.focus() == first.id(); }, 5));
        CHECK(bare->bringToFront(second.id()));
        CHECK(waitUntil([&] { return first.focus() == second.id(); }, 5));
    }
    kill(server, SIGTERM);
    waitpid(server, nullptr, 0);
    // A display that is gone leaves the null backend.
    CHECK(!WindowManager::connect(display.c_str())->isAvailable());
}
#endif

PLATFORM_TEST_MAIN()
